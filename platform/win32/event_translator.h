// Turns SDL events into window messages (internal to the user layer; called by the pump).
#pragma once

union SDL_Event;

namespace platform {

void TranslateSdlEvent(const SDL_Event& event);

}  // namespace platform
