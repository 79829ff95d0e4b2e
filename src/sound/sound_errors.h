#pragma once

// Codes that FSOUND_GetError reports; FMOD_ErrorString turns them into text.
enum SoundError : int {
    SoundOk = 0,
    SoundAlreadyStarted = 1,
    SoundNotInitialised = 2,
    SoundNoDevice = 3,
    SoundFileNotFound = 4,
    SoundFileFormat = 5,
    SoundFileBad = 6,
    SoundNoMemory = 7,
    SoundInvalidParam = 8,
    SoundNoFreeChannel = 9,
};
