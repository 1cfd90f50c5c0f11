// The scene's side of a view shared by a link (app/view_link.h): the settings it has now, and
// setting them through the program's own state and operations.
#pragma once

#include <cstdint>

#include "app/view_link.h"

// The scene's settings now. The page's own (elapsed, paused, names) are left at their defaults
// for the page to fill in.
SharedView currentView();

// Sets the scene to the settings in `parts` of `view`, each only where it is in range: the elapsed
// time puts every body's orbit and spin angles where the advance puts them after that much model
// time from start-up. The clock's next tick and the light shells then start from now (one shell
// emitted), for the shells' history is not part of a view. Returns the parts of `parts` it refused;
// the scene keeps their values.
std::uint32_t applyView(const SharedView& view, std::uint32_t parts);
