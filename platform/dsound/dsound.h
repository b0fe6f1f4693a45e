// The DirectSound 8 subset: a device, its primary buffer with the 3D listener, and secondary
// buffers that the process's mixer reads as byte rings from our memory, with volume, pan,
// position notifications and stored 3D parameters.
#pragma once

#include "platform/audio/wave_format.h"
#include "platform/win32/unknown.h"

#include <cstdint>
#include <vector>

using D3DVALUE = float;
struct D3DVECTOR {
    D3DVALUE x;
    D3DVALUE y;
    D3DVALUE z;
};
using LPCGUID = const GUID*;

inline constexpr GUID DS3DALG_DEFAULT = GUID_NULL;

inline constexpr CLSID CLSID_DirectSound8 = {0x3901cc3f, 0x84b5, 0x4fa4, {0xba, 0x35, 0xaa, 0x81, 0x72, 0xb8, 0xa0, 0x9b}};
inline constexpr IID IID_IDirectSound8 = {0xc50a7e93, 0xf395, 0x4834, {0x9e, 0xf6, 0x7f, 0xa9, 0x9d, 0xe5, 0x09, 0x66}};
inline constexpr IID IID_IDirectSound = {0x279afa83, 0x4981, 0x11ce, {0xa5, 0x21, 0x00, 0x20, 0xaf, 0x0b, 0xe5, 0x60}};
inline constexpr IID IID_IDirectSound3DListener = {0x279afa84, 0x4981, 0x11ce, {0xa5, 0x21, 0x00, 0x20, 0xaf, 0x0b, 0xe5, 0x60}};
inline constexpr IID IID_IDirectSoundBuffer = {0x279afa85, 0x4981, 0x11ce, {0xa5, 0x21, 0x00, 0x20, 0xaf, 0x0b, 0xe5, 0x60}};
inline constexpr IID IID_IDirectSound3DBuffer = {0x279afa86, 0x4981, 0x11ce, {0xa5, 0x21, 0x00, 0x20, 0xaf, 0x0b, 0xe5, 0x60}};
inline constexpr IID IID_IDirectSoundNotify = {0xb0210783, 0x89cd, 0x11d0, {0xaf, 0x08, 0x00, 0xa0, 0xc9, 0x25, 0xcd, 0x16}};

constexpr HRESULT DS_OK = S_OK;
constexpr HRESULT DSERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DSERR_GENERIC = E_FAIL;
constexpr HRESULT DSERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DSERR_NOINTERFACE = E_NOINTERFACE;
constexpr HRESULT DSERR_CONTROLUNAVAIL = static_cast<HRESULT>(0x8878001Eu);
constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032u);
constexpr HRESULT DSERR_PRIOLEVELNEEDED = static_cast<HRESULT>(0x88780046u);
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);
constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078u);
constexpr HRESULT DSERR_ALREADYINITIALIZED = static_cast<HRESULT>(0x88780082u);
constexpr HRESULT DSERR_UNINITIALIZED = static_cast<HRESULT>(0x887800AAu);

constexpr DWORD DSSCL_NORMAL = 0x1;
constexpr DWORD DSSCL_PRIORITY = 0x2;
constexpr DWORD DSSCL_EXCLUSIVE = 0x3;
constexpr DWORD DSSCL_WRITEPRIMARY = 0x4;

constexpr DWORD DSCAPS_PRIMARYMONO = 0x1;
constexpr DWORD DSCAPS_PRIMARYSTEREO = 0x2;
constexpr DWORD DSCAPS_PRIMARY8BIT = 0x4;
constexpr DWORD DSCAPS_PRIMARY16BIT = 0x8;
constexpr DWORD DSCAPS_CONTINUOUSRATE = 0x10;
constexpr DWORD DSCAPS_EMULDRIVER = 0x20;
constexpr DWORD DSCAPS_CERTIFIED = 0x40;
constexpr DWORD DSCAPS_SECONDARYMONO = 0x100;
constexpr DWORD DSCAPS_SECONDARYSTEREO = 0x200;
constexpr DWORD DSCAPS_SECONDARY8BIT = 0x400;
constexpr DWORD DSCAPS_SECONDARY16BIT = 0x800;

constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x1;
constexpr DWORD DSBCAPS_STATIC = 0x2;
constexpr DWORD DSBCAPS_LOCHARDWARE = 0x4;
constexpr DWORD DSBCAPS_LOCSOFTWARE = 0x8;
constexpr DWORD DSBCAPS_CTRL3D = 0x10;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x20;
constexpr DWORD DSBCAPS_CTRLPAN = 0x40;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x80;
constexpr DWORD DSBCAPS_CTRLPOSITIONNOTIFY = 0x100;
constexpr DWORD DSBCAPS_STICKYFOCUS = 0x4000;
constexpr DWORD DSBCAPS_GLOBALFOCUS = 0x8000;
constexpr DWORD DSBCAPS_GETCURRENTPOSITION2 = 0x10000;
constexpr DWORD DSBCAPS_MUTE3DATMAXDISTANCE = 0x20000;
constexpr DWORD DSBCAPS_LOCDEFER = 0x40000;

constexpr DWORD DSBPLAY_LOOPING = 0x1;

constexpr DWORD DSBSTATUS_PLAYING = 0x1;
constexpr DWORD DSBSTATUS_BUFFERLOST = 0x2;
constexpr DWORD DSBSTATUS_LOOPING = 0x4;

constexpr DWORD DSBLOCK_FROMWRITECURSOR = 0x1;
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x2;

constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;
constexpr LONG DSBPAN_LEFT = -10000;
constexpr LONG DSBPAN_CENTER = 0;
constexpr LONG DSBPAN_RIGHT = 10000;

constexpr DWORD DSBSIZE_MIN = 4;
constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;
constexpr DWORD DSBPN_OFFSETSTOP = 0xFFFFFFFFu;

constexpr DWORD DS3D_IMMEDIATE = 0x0;
constexpr DWORD DS3D_DEFERRED = 0x1;
constexpr DWORD DS3DMODE_NORMAL = 0x0;
constexpr DWORD DS3DMODE_HEADRELATIVE = 0x1;
constexpr DWORD DS3DMODE_DISABLE = 0x2;
constexpr DWORD DS3D_DEFAULTCONEANGLE = 360;
constexpr D3DVALUE DS3D_DEFAULTMINDISTANCE = 1.0f;
constexpr D3DVALUE DS3D_DEFAULTMAXDISTANCE = 1000000000.0f;

// Fixed sizes: no pointer inside.
struct DSCAPS {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwMinSecondarySampleRate;
    DWORD dwMaxSecondarySampleRate;
    DWORD dwPrimaryBuffers;
    DWORD dwMaxHwMixingAllBuffers;
    DWORD dwMaxHwMixingStaticBuffers;
    DWORD dwMaxHwMixingStreamingBuffers;
    DWORD dwFreeHwMixingAllBuffers;
    DWORD dwFreeHwMixingStaticBuffers;
    DWORD dwFreeHwMixingStreamingBuffers;
    DWORD dwMaxHw3DAllBuffers;
    DWORD dwMaxHw3DStaticBuffers;
    DWORD dwMaxHw3DStreamingBuffers;
    DWORD dwFreeHw3DAllBuffers;
    DWORD dwFreeHw3DStaticBuffers;
    DWORD dwFreeHw3DStreamingBuffers;
    DWORD dwTotalHwMemBytes;
    DWORD dwFreeHwMemBytes;
    DWORD dwMaxContigFreeHwMemBytes;
    DWORD dwUnlockTransferRateHwBuffers;
    DWORD dwPlayCpuOverheadSwBuffers;
    DWORD dwReserved1;
    DWORD dwReserved2;
};
static_assert(sizeof(DSCAPS) == 96);

struct DSBCAPS {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwUnlockTransferRate;
    DWORD dwPlayCpuOverhead;
};
static_assert(sizeof(DSBCAPS) == 20);

// Holds a pointer, so its size is that of this build; dwSize must be sizeof(DSBUFFERDESC).
struct DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwReserved;
    LPWAVEFORMATEX lpwfxFormat;
    GUID guid3DAlgorithm;
};

struct DSBPOSITIONNOTIFY {
    DWORD dwOffset;
    HANDLE hEventNotify;
};

struct DS3DBUFFER {
    DWORD dwSize;
    D3DVECTOR vPosition;
    D3DVECTOR vVelocity;
    DWORD dwInsideConeAngle;
    DWORD dwOutsideConeAngle;
    D3DVECTOR vConeOrientation;
    LONG lConeOutsideVolume;
    D3DVALUE flMinDistance;
    D3DVALUE flMaxDistance;
    DWORD dwMode;
};
static_assert(sizeof(DS3DBUFFER) == 64);

struct IDirectSoundBuffer : IUnknown {
    virtual HRESULT GetCaps(DSBCAPS* caps) = 0;
    // The play cursor is the next byte the mixer takes; the write cursor lies one mix block
    // further on: the bytes between them may already be on their way out.
    virtual HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) = 0;
    virtual HRESULT GetFormat(WAVEFORMATEX* format, DWORD sizeAllocated, DWORD* sizeWritten) = 0;
    virtual HRESULT GetVolume(LONG* volume) = 0;
    virtual HRESULT GetPan(LONG* pan) = 0;
    virtual HRESULT GetStatus(DWORD* status) = 0;
    // Two pieces when the range runs past the end of the ring; the second is null otherwise.
    virtual HRESULT Lock(DWORD offset, DWORD bytes, void** audioPtr1, DWORD* audioBytes1, void** audioPtr2,
                         DWORD* audioBytes2, DWORD flags) = 0;
    virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
    virtual HRESULT SetCurrentPosition(DWORD position) = 0;
    virtual HRESULT SetFormat(const WAVEFORMATEX* format) = 0;
    // Hundredths of a decibel: -10,000 (silent) to 0.
    virtual HRESULT SetVolume(LONG volume) = 0;
    // Hundredths of a decibel taken off the other side: -10,000 (left only) to 10,000.
    virtual HRESULT SetPan(LONG pan) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT Unlock(void* audioPtr1, DWORD audioBytes1, void* audioPtr2, DWORD audioBytes2) = 0;
    // Our buffers are never lost: nothing to do.
    virtual HRESULT Restore() = 0;

protected:
    ~IDirectSoundBuffer() = default;
};
using LPDIRECTSOUNDBUFFER = IDirectSoundBuffer*;

// Served by a primary buffer created with DSBCAPS_CTRL3D. Stored only: the mix ignores it.
struct IDirectSound3DListener : IUnknown {
    virtual HRESULT GetPosition(D3DVECTOR* position) = 0;
    virtual HRESULT GetOrientation(D3DVECTOR* front, D3DVECTOR* top) = 0;
    virtual HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;
    virtual HRESULT SetOrientation(D3DVALUE xFront, D3DVALUE yFront, D3DVALUE zFront, D3DVALUE xTop, D3DVALUE yTop,
                                   D3DVALUE zTop, DWORD apply) = 0;
    // Applies every deferred listener and buffer setting of the device.
    virtual HRESULT CommitDeferredSettings() = 0;

protected:
    ~IDirectSound3DListener() = default;
};
using LPDIRECTSOUND3DLISTENER = IDirectSound3DListener*;

// Served by a secondary buffer created with DSBCAPS_CTRL3D. Stored only: the mix ignores it.
struct IDirectSound3DBuffer : IUnknown {
    virtual HRESULT GetAllParameters(DS3DBUFFER* parameters) = 0;
    virtual HRESULT SetAllParameters(const DS3DBUFFER* parameters, DWORD apply) = 0;

protected:
    ~IDirectSound3DBuffer() = default;
};
using LPDIRECTSOUND3DBUFFER = IDirectSound3DBuffer*;

// Served by a secondary buffer created with DSBCAPS_CTRLPOSITIONNOTIFY. Each event is set when
// the play cursor passes its offset (DSBPN_OFFSETSTOP: when the buffer stops), after the mix
// step, with no lock of the layer held.
struct IDirectSoundNotify : IUnknown {
    virtual HRESULT SetNotificationPositions(DWORD count, const DSBPOSITIONNOTIFY* positions) = 0;

protected:
    ~IDirectSoundNotify() = default;
};
using LPDIRECTSOUNDNOTIFY = IDirectSoundNotify*;

struct IDirectSound : IUnknown {
    virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC* description, IDirectSoundBuffer** buffer, LPUNKNOWN outer) = 0;
    virtual HRESULT GetCaps(DSCAPS* caps) = 0;
    // A live window is needed; DSSCL_NORMAL or higher.
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
    virtual HRESULT Compact() = 0;
    // Null: the default output, which opens the mixer (kept open until the device goes).
    virtual HRESULT Initialize(LPCGUID device) = 0;

protected:
    ~IDirectSound() = default;
};
using LPDIRECTSOUND = IDirectSound*;

struct IDirectSound8 : IDirectSound {
protected:
    ~IDirectSound8() = default;
};
using LPDIRECTSOUND8 = IDirectSound8*;

namespace platform {

// Registers the DirectSound 8 class with COM; idempotent.
void RegisterDirectSoundClasses();

// Test seam: forced results (S_OK: none) and call counters.
struct DirectSoundFaults {
    HRESULT create = S_OK;                 // the class factory
    HRESULT queryDirectSound = S_OK;       // QueryInterface of the device for IDirectSound
    HRESULT initialize = S_OK;
    HRESULT getCaps = S_OK;
    HRESULT cooperativePriority = S_OK;    // SetCooperativeLevel at DSSCL_PRIORITY
    HRESULT cooperativeNormal = S_OK;      // ... at DSSCL_NORMAL
    HRESULT compact = S_OK;
    HRESULT createPrimary = S_OK;
    HRESULT createSecondary = S_OK;
    HRESULT setFormat = S_OK;              // the primary buffer's
    HRESULT queryListener = S_OK;
    HRESULT setNotificationPositions = S_OK;
};
void SetDirectSoundFaults(const DirectSoundFaults& faults);
DirectSoundFaults DirectSoundFaultsNow();

struct DirectSoundCounters {
    int setVolume = 0;                // secondary buffers' SetVolume calls that reached the layer
    int compact = 0;
    int listenerSetPosition = 0;
    int listenerSetOrientation = 0;
    int commitDeferredSettings = 0;
};
DirectSoundCounters DirectSoundCallCounts();
void ResetDirectSoundCallCounts();

// What tests see of the layer: live devices and buffers, with each buffer's creation flags.
struct DirectSoundBufferInfo {
    bool primary = false;
    DWORD flags = 0;
    DWORD bytes = 0;
};
struct DirectSoundCensus {
    int devices = 0;
    int primaryBuffers = 0;
    int secondaryBuffers = 0;
    std::vector<DirectSoundBufferInfo> buffers;
};
DirectSoundCensus DirectSoundObjects();

}  // namespace platform
