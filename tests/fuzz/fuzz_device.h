// One headless device for the whole fuzzing process: made at the first input, never released.
#pragma once

#include "platform/d3d9/d3d9.h"

inline IDirect3DDevice9* FuzzDevice()
{
    static IDirect3DDevice9* device = [] {
        IDirect3D9* direct3D = Direct3DCreate9(D3D_SDK_VERSION);
        if (!direct3D) return static_cast<IDirect3DDevice9*>(nullptr);
        D3DPRESENT_PARAMETERS parameters{};
        parameters.BackBufferWidth = 16;
        parameters.BackBufferHeight = 16;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.Windowed = TRUE;
        parameters.hDeviceWindow = reinterpret_cast<HWND>(0x1);   // headless
        IDirect3DDevice9* made = nullptr;
        direct3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, parameters.hDeviceWindow,
                               D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &made);
        return made;
    }();
    return device;
}
