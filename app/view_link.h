// A view of the program as a link carries it in its fragment, so that another screen can open the
// same picture: "v=1&time=1000000&globes=100&follow=saturn&level=saturn&eye=x,y,z&look=x,y,z&
// dir=h,v&grids=a,b&plane=saturn&elapsed=s&paused=1&names=1". Each part after the version is
// one setting; bodies go by their lower-case English names, "none" for no body.
//
// formatView writes a view as such text; parseView reads it part by part, strictly: a part that is
// missing, malformed, repeated or out of range is not used, and the others are. applyView (in
// app/view_state.h) puts the usable parts into the scene through the program's own operations.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/scene_state.h"

// The link's format; a link of another version is not read at all.
inline constexpr int viewVersion = 1;

// The settings of a view. `plane` is the slot the walking plane was last taken from, -1 while it
// has not been taken yet (before the first key press). `elapsed`, `paused` and `names` belong
// to the page: the view carries them, the scene does not.
struct SharedView {
    double timeScale = 1;
    double globeScale = 1;
    std::int32_t followBody = -1;
    std::int32_t viewBody = -1;
    Vec3 eye;
    Vec3 lookAt;  // the look-at point (followOffset): where walking has taken it
    long double viewDirHoriz = 90;
    long double viewDirVert = 45;
    long double gridScaleA = 0;
    long double gridScaleB = 0;
    std::int32_t plane = -1;
    double elapsed = 0;  // model seconds since start-up
    bool paused = false;
    bool names = true;
};

// The parts of a link, as bits; a set of them says which parts could not be used.
enum ViewPart : std::uint32_t {
    viewPartVersion = 1u << 0,
    viewPartTime = 1u << 1,
    viewPartGlobes = 1u << 2,
    viewPartFollow = 1u << 3,
    viewPartLevel = 1u << 4,
    viewPartEye = 1u << 5,
    viewPartLook = 1u << 6,
    viewPartDirection = 1u << 7,
    viewPartGrids = 1u << 8,
    viewPartPlane = 1u << 9,
    viewPartElapsed = 1u << 10,
    viewPartPaused = 1u << 11,
    viewPartNames = 1u << 12,
    viewPartUnknown = 1u << 13,  // something in the link that is none of the parts
};
inline constexpr std::uint32_t viewSettings = (1u << 13) - 2;  // every part but the version

// The view's text, NUL-terminated, into out; its length, or 0 where `size` is too small.
std::size_t formatView(const SharedView& view, char* out, std::size_t size);

// Reads the `length` bytes of text (no '#'), of which `truncated` says whether they end before
// the text did. Every usable part is written into `view`; every other setting keeps the value it
// had. Returns the parts that could not be used; viewPartVersion with every setting where the
// version is missing or another one.
std::uint32_t parseView(const char* text, std::size_t length, bool truncated, SharedView& view);

// The parts of `view` that are out of range for the program, for both the parser and the setter.
std::uint32_t invalidParts(const SharedView& view);
