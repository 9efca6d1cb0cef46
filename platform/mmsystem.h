// Stand-in for the Media Control Interface subset used to play one MIDI file.
#pragma once
#include "platform/win32.h"

extern "C" {

typedef DWORD MCIERROR;
typedef UINT MCIDEVICEID;

#define MCI_OPEN 0x0803
#define MCI_CLOSE 0x0804
#define MCI_PLAY 0x0806
#define MCI_OPEN_TYPE 0x00002000L
#define MCI_OPEN_ELEMENT 0x00000200L
#define MCIERR_BASE 256
#define MCIERR_INVALID_DEVICE_ID (MCIERR_BASE + 1)
#define MCIERR_FILE_NOT_FOUND (MCIERR_BASE + 19)
#define MCIERR_INVALID_FILE (MCIERR_BASE + 48)
#define MCIERR_UNSUPPORTED_FUNCTION (MCIERR_BASE + 18)
#define MCIERR_DEVICE_OPEN (MCIERR_BASE + 9)
#define MCIERR_HARDWARE (MCIERR_BASE + 6)
#define MCIERR_INVALID_DEVICE_NAME (MCIERR_BASE + 7)
#define MCIERR_NULL_PARAMETER_BLOCK (MCIERR_BASE + 41)

struct MCI_OPEN_PARMSA {
    DWORD_PTR dwCallback;
    MCIDEVICEID wDeviceID;
    LPCSTR lpstrDeviceType;
    LPCSTR lpstrElementName;
    LPCSTR lpstrAlias;
};

struct MCI_PLAY_PARMS {
    DWORD_PTR dwCallback;
    DWORD dwFrom;
    DWORD dwTo;
};

// MCI_OPEN with MCI_OPEN_TYPE "sequencer" and MCI_OPEN_ELEMENT opens a MIDI file;
// MCI_PLAY with flags 0 plays it once from the start, asynchronously.
MCIERROR mciSendCommandA(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params);

}  // extern "C"
