#include "platform/dinput/input_hub.h"

#include "platform/dinput/input_device.h"
#include "platform/win32/user_log.h"

#include <SDL.h>

#include <algorithm>

namespace platform {

InputHub& InputHub::Get()
{
    static InputHub hub;
    return hub;
}

bool InputHub::Start()
{
    std::lock_guard<std::mutex> lock(m_StartMutex);
    if (m_Users > 0) {
        ++m_Users;
        return true;
    }
    // Foreground-only reading is the cooperative level's business, not SDL's.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    m_Subsystems = SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER;
    m_Joysticks = true;
    if (SDL_InitSubSystem(m_Subsystems) != 0) {
        LogUserError("DirectInput: SDL joysticks cannot start (%s); no pads", SDL_GetError());
        m_Subsystems = SDL_INIT_EVENTS;
        m_Joysticks = false;
        if (SDL_InitSubSystem(m_Subsystems) != 0) {
            LogUserError("DirectInput: SDL events cannot start: %s", SDL_GetError());
            m_Subsystems = 0;
            return false;
        }
    }
    SDL_AddEventWatch(&InputHub::Watch, this);
    m_Users = 1;
    return true;
}

void InputHub::Stop()
{
    std::lock_guard<std::mutex> lock(m_StartMutex);
    if (m_Users == 0 || --m_Users > 0) return;
    SDL_DelEventWatch(&InputHub::Watch, this);
    SDL_QuitSubSystem(m_Subsystems);
    m_Subsystems = 0;
    m_Joysticks = false;
}

void InputHub::Register(InputDevice* device)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Devices.push_back(device);
}

void InputHub::Unregister(InputDevice* device)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Devices.erase(std::remove(m_Devices.begin(), m_Devices.end(), device), m_Devices.end());
}

int InputHub::Watch(void* hub, SDL_Event* event)
{
    auto* self = static_cast<InputHub*>(hub);
    std::lock_guard<std::mutex> lock(self->m_Mutex);
    for (InputDevice* device : self->m_Devices) device->OnSdlEvent(*event);
    return 0;
}

}  // namespace platform
