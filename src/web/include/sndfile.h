#pragma once
// Only the types sound/sound_decoder.h names: in the browser the decoding
// is Web Audio's (web/browser_decoder.cpp), not libsndfile's.
typedef struct SNDFILE_tag SNDFILE;
typedef long long sf_count_t;
typedef struct SF_INFO {
    sf_count_t frames;
    int samplerate;
    int channels;
    int format;
    int sections;
    int seekable;
} SF_INFO;
