#include "sound/sound_errors.h"

#include "sound/sound_system.h"

const char* FMOD_ErrorString(int errorCode) {
    switch (errorCode) {
    case SoundOk: return "No errors";
    case SoundAlreadyStarted: return "Sound system already started";
    case SoundNotInitialised: return "Sound system not initialised";
    case SoundNoDevice: return "No audio device";
    case SoundFileNotFound: return "File not found";
    case SoundFileFormat: return "Unsupported file format";
    case SoundFileBad: return "Error reading file";
    case SoundNoMemory: return "Out of memory";
    case SoundInvalidParam: return "Invalid parameter";
    case SoundNoFreeChannel: return "No free channel";
    default: return "Unknown error";
    }
}
