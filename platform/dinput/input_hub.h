// What every DirectInput object shares: the SDL subsystems and the event watch that feeds the
// keyboard and mouse devices (internal to the DirectInput layer).
#pragma once

#include <mutex>
#include <vector>

union SDL_Event;

namespace platform {

class InputDevice;

class InputHub {
public:
    static InputHub& Get();

    // Counted: the first Start brings SDL events and joysticks up, the last Stop takes them down.
    bool Start();
    void Stop();
    bool HasJoysticks() const { return m_Joysticks; }

    void Register(InputDevice* device);
    void Unregister(InputDevice* device);
    // Guards the devices' event-fed state; never held while calling into SDL.
    std::mutex& Mutex() { return m_Mutex; }

private:
    static int Watch(void* hub, SDL_Event* event);

    std::mutex m_StartMutex;
    int m_Users = 0;
    unsigned int m_Subsystems = 0;
    bool m_Joysticks = false;
    std::mutex m_Mutex;
    std::vector<InputDevice*> m_Devices;
};

}  // namespace platform
