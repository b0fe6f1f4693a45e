// DirectInput 8: the system keyboard, the system mouse and attached game controllers, over
// SDL2 events and joysticks.
//
// Keyboard and mouse follow the SDL events (the message pump or DirectInput itself pumps
// them); a key or button pressed since the last read reads as down once even if already
// released, so a quick tap between two polls is not lost. Mouse motion and the wheel (120 a
// notch) accumulate between reads. A pad that SDL knows as a game controller reads in the
// layout Windows gives such pads: left stick (lX, lY), right stick (lRx, lRy), the triggers
// together on lZ (left positive), buttons A, B, X, Y, LB, RB, Back, Start, left stick, right
// stick, and the d-pad as POV 0. Any other joystick reads its axes in order as lX, lY, lZ, lRx,
// lRy, lRz and the two sliders, its buttons and hats in order.
//
// A foreground device reads only while its window is the active one: reads on an unacquired
// device fail with DIERR_NOTACQUIRED, and Acquire on an inactive window with
// DIERR_OTHERAPPHASPRIO, so a caller that re-acquires while it sees DIERR_INPUTLOST never loops.
#pragma once

#include "platform/win32/unknown.h"
#include "platform/win32/win_types.h"

constexpr DWORD DIRECTINPUT_VERSION = 0x0800;

// Results.
constexpr HRESULT DI_OK = S_OK;
constexpr HRESULT DI_NOEFFECT = S_FALSE;
constexpr HRESULT DI_POLLEDDEVICE = 2;
constexpr HRESULT DIERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DIERR_NOINTERFACE = E_NOINTERFACE;
constexpr HRESULT DIERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DIERR_GENERIC = E_FAIL;
constexpr HRESULT DIERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DIERR_OBJECTNOTFOUND = static_cast<HRESULT>(0x80070002u);
constexpr HRESULT DIERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
constexpr HRESULT DIERR_NOTINITIALIZED = static_cast<HRESULT>(0x80070015u);
constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);
constexpr HRESULT DIERR_ACQUIRED = static_cast<HRESULT>(0x800700AAu);
constexpr HRESULT DIERR_OLDDIRECTINPUTVERSION = static_cast<HRESULT>(0x8007047Eu);
constexpr HRESULT DIERR_BETADIRECTINPUTVERSION = static_cast<HRESULT>(0x80070481u);
constexpr HRESULT DIERR_DEVICENOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT DIERR_UNPLUGGED = static_cast<HRESULT>(0x80040209u);

// Cooperative levels.
constexpr DWORD DISCL_EXCLUSIVE = 0x1;
constexpr DWORD DISCL_NONEXCLUSIVE = 0x2;
constexpr DWORD DISCL_FOREGROUND = 0x4;
constexpr DWORD DISCL_BACKGROUND = 0x8;

// Device classes, types and enumeration.
constexpr DWORD DI8DEVCLASS_ALL = 0;
constexpr DWORD DI8DEVCLASS_DEVICE = 1;
constexpr DWORD DI8DEVCLASS_POINTER = 2;
constexpr DWORD DI8DEVCLASS_KEYBOARD = 3;
constexpr DWORD DI8DEVCLASS_GAMECTRL = 4;
constexpr DWORD DI8DEVTYPE_MOUSE = 0x12;
constexpr DWORD DI8DEVTYPE_KEYBOARD = 0x13;
constexpr DWORD DI8DEVTYPE_JOYSTICK = 0x14;
constexpr DWORD DI8DEVTYPE_GAMEPAD = 0x15;
constexpr DWORD DI8DEVTYPEMOUSE_UNKNOWN = 1;
constexpr DWORD DI8DEVTYPEKEYBOARD_PCENH = 4;
constexpr DWORD DI8DEVTYPEJOYSTICK_STANDARD = 2;
constexpr DWORD DI8DEVTYPEGAMEPAD_STANDARD = 2;
constexpr DWORD DIEDFL_ALLDEVICES = 0x0;
constexpr DWORD DIEDFL_ATTACHEDONLY = 0x1;
constexpr BOOL DIENUM_STOP = 0;
constexpr BOOL DIENUM_CONTINUE = 1;

// Device capability flags.
constexpr DWORD DIDC_ATTACHED = 0x1;
constexpr DWORD DIDC_POLLEDDEVICE = 0x2;

// Object types.
constexpr DWORD DIDFT_ALL = 0x0;
constexpr DWORD DIDFT_RELAXIS = 0x1;
constexpr DWORD DIDFT_ABSAXIS = 0x2;
constexpr DWORD DIDFT_AXIS = 0x3;
constexpr DWORD DIDFT_PSHBUTTON = 0x4;
constexpr DWORD DIDFT_TGLBUTTON = 0x8;
constexpr DWORD DIDFT_BUTTON = 0xC;
constexpr DWORD DIDFT_POV = 0x10;
constexpr DWORD DIDFT_MAKEINSTANCE(DWORD n) { return (n & 0xFFFFu) << 8; }
constexpr DWORD DIDFT_GETINSTANCE(DWORD type) { return (type >> 8) & 0xFFFFu; }

// Property headers.
constexpr DWORD DIPH_DEVICE = 0;
constexpr DWORD DIPH_BYOFFSET = 1;
constexpr DWORD DIPH_BYID = 2;

struct DIPROPHEADER {
    DWORD dwSize;
    DWORD dwHeaderSize;
    DWORD dwObj;
    DWORD dwHow;
};
using LPDIPROPHEADER = DIPROPHEADER*;
using LPCDIPROPHEADER = const DIPROPHEADER*;

struct DIPROPRANGE {
    DIPROPHEADER diph;
    LONG lMin;
    LONG lMax;
};

// Property names: objects of their own here, compared by address.
inline constexpr GUID DIPROP_BUFFERSIZE = {1, 0, 0, {0x54, 0x57, 0x44, 0x49, 0x50, 0x52, 0x4F, 0x50}};
inline constexpr GUID DIPROP_AXISMODE = {2, 0, 0, {0x54, 0x57, 0x44, 0x49, 0x50, 0x52, 0x4F, 0x50}};
inline constexpr GUID DIPROP_RANGE = {4, 0, 0, {0x54, 0x57, 0x44, 0x49, 0x50, 0x52, 0x4F, 0x50}};
inline constexpr GUID DIPROP_DEADZONE = {5, 0, 0, {0x54, 0x57, 0x44, 0x49, 0x50, 0x52, 0x4F, 0x50}};

inline constexpr IID IID_IDirectInput8W = {0xBF798031, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
inline constexpr IID IID_IDirectInputDevice8W = {0x54D41081, 0x72D0, 0x11D2, {0xB2, 0x6B, 0x00, 0x60, 0x97, 0x6F, 0xC5, 0x72}};
inline constexpr GUID GUID_SysMouse = {0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
inline constexpr IID IID_IDirectInput8 = IID_IDirectInput8W;
inline constexpr IID IID_IDirectInputDevice8 = IID_IDirectInputDevice8W;

// Data formats. Only the standard formats below are understood; `dwDataSize` is what
// GetDeviceState must be given.
struct DIOBJECTDATAFORMAT {
    const GUID* pguid;
    DWORD dwOfs;
    DWORD dwType;
    DWORD dwFlags;
};

struct DIDATAFORMAT {
    DWORD dwSize;
    DWORD dwObjSize;
    DWORD dwFlags;
    DWORD dwDataSize;
    DWORD dwNumObjs;
    const DIOBJECTDATAFORMAT* rgodf;
};
using LPCDIDATAFORMAT = const DIDATAFORMAT*;

extern const DIDATAFORMAT c_dfDIKeyboard;    // 256 key bytes
extern const DIDATAFORMAT c_dfDIMouse2;      // DIMOUSESTATE2
extern const DIDATAFORMAT c_dfDIJoystick2;   // DIJOYSTATE2

struct DIMOUSESTATE2 {
    LONG lX;
    LONG lY;
    LONG lZ;
    BYTE rgbButtons[8];
};

struct DIJOYSTATE2 {
    LONG lX;
    LONG lY;
    LONG lZ;
    LONG lRx;
    LONG lRy;
    LONG lRz;
    LONG rglSlider[2];
    DWORD rgdwPOV[4];   // hundredths of a degree clockwise from up; 0xFFFFFFFF centred
    BYTE rgbButtons[128];
    LONG lVX, lVY, lVZ, lVRx, lVRy, lVRz;
    LONG rglVSlider[2];
    LONG lAX, lAY, lAZ, lARx, lARy, lARz;
    LONG rglASlider[2];
    LONG lFX, lFY, lFZ, lFRx, lFRy, lFRz;
    LONG rglFSlider[2];
};

struct DIDEVCAPS {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwDevType;
    DWORD dwAxes;
    DWORD dwButtons;
    DWORD dwPOVs;
    DWORD dwFFSamplePeriod;
    DWORD dwFFMinTimeResolution;
    DWORD dwFirmwareRevision;
    DWORD dwHardwareRevision;
    DWORD dwFFDriverVersion;
};
using LPDIDEVCAPS = DIDEVCAPS*;

struct DIDEVICEINSTANCEW {
    DWORD dwSize;
    GUID guidInstance;
    GUID guidProduct;
    DWORD dwDevType;
    WCHAR tszInstanceName[MAX_PATH];
    WCHAR tszProductName[MAX_PATH];
    GUID guidFFDriver;
    WORD wUsagePage;
    WORD wUsage;
};
using LPCDIDEVICEINSTANCEW = const DIDEVICEINSTANCEW*;

struct DIDEVICEOBJECTINSTANCEW {
    DWORD dwSize;
    GUID guidType;
    DWORD dwOfs;
    DWORD dwType;
    DWORD dwFlags;
    WCHAR tszName[MAX_PATH];
    DWORD dwFFMaxForce;
    DWORD dwFFForceResolution;
    WORD wCollectionNumber;
    WORD wDesignatorIndex;
    WORD wUsagePage;
    WORD wUsage;
    DWORD dwDimension;
    WORD wExponent;
    WORD wReportId;
};
using LPCDIDEVICEOBJECTINSTANCEW = const DIDEVICEOBJECTINSTANCEW*;

using LPDIENUMDEVICESCALLBACKW = BOOL (*)(LPCDIDEVICEINSTANCEW instance, LPVOID reference);
using LPDIENUMDEVICEOBJECTSCALLBACKW = BOOL (*)(LPCDIDEVICEOBJECTINSTANCEW object, LPVOID reference);

struct IDirectInputDevice8W : IUnknown {
    virtual HRESULT GetCapabilities(LPDIDEVCAPS caps) = 0;
    // `flags` DIDFT_ALL, or any of DIDFT_AXIS, DIDFT_BUTTON and DIDFT_POV.
    virtual HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKW callback, LPVOID reference, DWORD flags) = 0;
    // DIPROP_RANGE on pads: the whole device (DIPH_DEVICE) or one axis (DIPH_BYID, DIPH_BYOFFSET).
    virtual HRESULT SetProperty(REFGUID property, LPCDIPROPHEADER header) = 0;
    virtual HRESULT Acquire() = 0;
    virtual HRESULT Unacquire() = 0;
    virtual HRESULT GetDeviceState(DWORD size, LPVOID data) = 0;
    virtual HRESULT SetDataFormat(LPCDIDATAFORMAT format) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT Poll() = 0;

protected:
    ~IDirectInputDevice8W() = default;
};
using LPDIRECTINPUTDEVICE8W = IDirectInputDevice8W*;
using IDirectInputDevice8 = IDirectInputDevice8W;
using LPDIRECTINPUTDEVICE8 = IDirectInputDevice8W*;

struct IDirectInput8W : IUnknown {
    // GUID_SysKeyboard, GUID_SysMouse, or a game controller's guidInstance from EnumDevices.
    virtual HRESULT CreateDevice(REFGUID instance, LPDIRECTINPUTDEVICE8W* device, LPUNKNOWN outer) = 0;
    virtual HRESULT EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKW callback, LPVOID reference,
                                DWORD flags) = 0;

protected:
    ~IDirectInput8W() = default;
};
using LPDIRECTINPUT8W = IDirectInput8W*;
using IDirectInput8 = IDirectInput8W;
using LPDIRECTINPUT8 = IDirectInput8W*;

HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, REFIID riid, LPVOID* object, LPUNKNOWN outer);

// Key codes: the PC set-1 scan codes, 0x80 added for the extended keys.
constexpr BYTE DIK_ESCAPE = 0x01;
constexpr BYTE DIK_1 = 0x02;
constexpr BYTE DIK_2 = 0x03;
constexpr BYTE DIK_3 = 0x04;
constexpr BYTE DIK_4 = 0x05;
constexpr BYTE DIK_5 = 0x06;
constexpr BYTE DIK_6 = 0x07;
constexpr BYTE DIK_7 = 0x08;
constexpr BYTE DIK_8 = 0x09;
constexpr BYTE DIK_9 = 0x0A;
constexpr BYTE DIK_0 = 0x0B;
constexpr BYTE DIK_MINUS = 0x0C;
constexpr BYTE DIK_EQUALS = 0x0D;
constexpr BYTE DIK_BACK = 0x0E;
constexpr BYTE DIK_TAB = 0x0F;
constexpr BYTE DIK_Q = 0x10;
constexpr BYTE DIK_W = 0x11;
constexpr BYTE DIK_E = 0x12;
constexpr BYTE DIK_R = 0x13;
constexpr BYTE DIK_T = 0x14;
constexpr BYTE DIK_Y = 0x15;
constexpr BYTE DIK_U = 0x16;
constexpr BYTE DIK_I = 0x17;
constexpr BYTE DIK_O = 0x18;
constexpr BYTE DIK_P = 0x19;
constexpr BYTE DIK_LBRACKET = 0x1A;
constexpr BYTE DIK_RBRACKET = 0x1B;
constexpr BYTE DIK_RETURN = 0x1C;
constexpr BYTE DIK_LCONTROL = 0x1D;
constexpr BYTE DIK_A = 0x1E;
constexpr BYTE DIK_S = 0x1F;
constexpr BYTE DIK_D = 0x20;
constexpr BYTE DIK_F = 0x21;
constexpr BYTE DIK_G = 0x22;
constexpr BYTE DIK_H = 0x23;
constexpr BYTE DIK_J = 0x24;
constexpr BYTE DIK_K = 0x25;
constexpr BYTE DIK_L = 0x26;
constexpr BYTE DIK_SEMICOLON = 0x27;
constexpr BYTE DIK_APOSTROPHE = 0x28;
constexpr BYTE DIK_GRAVE = 0x29;
constexpr BYTE DIK_LSHIFT = 0x2A;
constexpr BYTE DIK_BACKSLASH = 0x2B;
constexpr BYTE DIK_Z = 0x2C;
constexpr BYTE DIK_X = 0x2D;
constexpr BYTE DIK_C = 0x2E;
constexpr BYTE DIK_V = 0x2F;
constexpr BYTE DIK_B = 0x30;
constexpr BYTE DIK_N = 0x31;
constexpr BYTE DIK_M = 0x32;
constexpr BYTE DIK_COMMA = 0x33;
constexpr BYTE DIK_PERIOD = 0x34;
constexpr BYTE DIK_SLASH = 0x35;
constexpr BYTE DIK_RSHIFT = 0x36;
constexpr BYTE DIK_MULTIPLY = 0x37;
constexpr BYTE DIK_LMENU = 0x38;
constexpr BYTE DIK_SPACE = 0x39;
constexpr BYTE DIK_CAPITAL = 0x3A;
constexpr BYTE DIK_F1 = 0x3B;
constexpr BYTE DIK_F2 = 0x3C;
constexpr BYTE DIK_F3 = 0x3D;
constexpr BYTE DIK_F4 = 0x3E;
constexpr BYTE DIK_F5 = 0x3F;
constexpr BYTE DIK_F6 = 0x40;
constexpr BYTE DIK_F7 = 0x41;
constexpr BYTE DIK_F8 = 0x42;
constexpr BYTE DIK_F9 = 0x43;
constexpr BYTE DIK_F10 = 0x44;
constexpr BYTE DIK_NUMLOCK = 0x45;
constexpr BYTE DIK_SCROLL = 0x46;
constexpr BYTE DIK_NUMPAD7 = 0x47;
constexpr BYTE DIK_NUMPAD8 = 0x48;
constexpr BYTE DIK_NUMPAD9 = 0x49;
constexpr BYTE DIK_SUBTRACT = 0x4A;
constexpr BYTE DIK_NUMPAD4 = 0x4B;
constexpr BYTE DIK_NUMPAD5 = 0x4C;
constexpr BYTE DIK_NUMPAD6 = 0x4D;
constexpr BYTE DIK_ADD = 0x4E;
constexpr BYTE DIK_NUMPAD1 = 0x4F;
constexpr BYTE DIK_NUMPAD2 = 0x50;
constexpr BYTE DIK_NUMPAD3 = 0x51;
constexpr BYTE DIK_NUMPAD0 = 0x52;
constexpr BYTE DIK_DECIMAL = 0x53;
constexpr BYTE DIK_OEM_102 = 0x56;
constexpr BYTE DIK_F11 = 0x57;
constexpr BYTE DIK_F12 = 0x58;
constexpr BYTE DIK_F13 = 0x64;
constexpr BYTE DIK_F14 = 0x65;
constexpr BYTE DIK_F15 = 0x66;
constexpr BYTE DIK_KANA = 0x70;
constexpr BYTE DIK_ABNT_C1 = 0x73;
constexpr BYTE DIK_CONVERT = 0x79;
constexpr BYTE DIK_NOCONVERT = 0x7B;
constexpr BYTE DIK_YEN = 0x7D;
constexpr BYTE DIK_ABNT_C2 = 0x7E;
constexpr BYTE DIK_NUMPADEQUALS = 0x8D;
constexpr BYTE DIK_PREVTRACK = 0x90;
constexpr BYTE DIK_AT = 0x91;
constexpr BYTE DIK_COLON = 0x92;
constexpr BYTE DIK_UNDERLINE = 0x93;
constexpr BYTE DIK_KANJI = 0x94;
constexpr BYTE DIK_STOP = 0x95;
constexpr BYTE DIK_AX = 0x96;
constexpr BYTE DIK_UNLABELED = 0x97;
constexpr BYTE DIK_NEXTTRACK = 0x99;
constexpr BYTE DIK_NUMPADENTER = 0x9C;
constexpr BYTE DIK_RCONTROL = 0x9D;
constexpr BYTE DIK_MUTE = 0xA0;
constexpr BYTE DIK_CALCULATOR = 0xA1;
constexpr BYTE DIK_PLAYPAUSE = 0xA2;
constexpr BYTE DIK_MEDIASTOP = 0xA4;
constexpr BYTE DIK_VOLUMEDOWN = 0xAE;
constexpr BYTE DIK_VOLUMEUP = 0xB0;
constexpr BYTE DIK_WEBHOME = 0xB2;
constexpr BYTE DIK_NUMPADCOMMA = 0xB3;
constexpr BYTE DIK_DIVIDE = 0xB5;
constexpr BYTE DIK_SYSRQ = 0xB7;
constexpr BYTE DIK_RMENU = 0xB8;
constexpr BYTE DIK_PAUSE = 0xC5;
constexpr BYTE DIK_HOME = 0xC7;
constexpr BYTE DIK_UP = 0xC8;
constexpr BYTE DIK_PRIOR = 0xC9;
constexpr BYTE DIK_LEFT = 0xCB;
constexpr BYTE DIK_RIGHT = 0xCD;
constexpr BYTE DIK_END = 0xCF;
constexpr BYTE DIK_DOWN = 0xD0;
constexpr BYTE DIK_NEXT = 0xD1;
constexpr BYTE DIK_INSERT = 0xD2;
constexpr BYTE DIK_DELETE = 0xD3;
constexpr BYTE DIK_LWIN = 0xDB;
constexpr BYTE DIK_RWIN = 0xDC;
constexpr BYTE DIK_APPS = 0xDD;
constexpr BYTE DIK_POWER = 0xDE;
constexpr BYTE DIK_SLEEP = 0xDF;
constexpr BYTE DIK_WAKE = 0xE3;
constexpr BYTE DIK_WEBSEARCH = 0xE5;
constexpr BYTE DIK_WEBFAVORITES = 0xE6;
constexpr BYTE DIK_WEBREFRESH = 0xE7;
constexpr BYTE DIK_WEBSTOP = 0xE8;
constexpr BYTE DIK_WEBFORWARD = 0xE9;
constexpr BYTE DIK_WEBBACK = 0xEA;
constexpr BYTE DIK_MYCOMPUTER = 0xEB;
constexpr BYTE DIK_MAIL = 0xEC;
constexpr BYTE DIK_MEDIASELECT = 0xED;

namespace platform {

// Failures to inject, for testing the callers' fall-backs: a non-success result makes the
// named step fail with it (S_OK restores normal behaviour).
struct DirectInputFaults {
    HRESULT create = S_OK;     // DirectInput8Create
    HRESULT keyboard = S_OK;   // CreateDevice(GUID_SysKeyboard)
    HRESULT mouse = S_OK;      // CreateDevice(GUID_SysMouse)
};
void SetDirectInputFaults(const DirectInputFaults& faults);

}  // namespace platform
