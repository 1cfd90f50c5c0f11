#include "app/view_link.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* bodyNames[maxSlots] = {"sun",     "mercury", "venus",  "earth",   "mars",
                                             "jupiter", "saturn",  "uranus", "neptune", "pluto"};
// Longer than any part this program writes: a longer one is not read at all.
constexpr std::size_t longestPart = 160;

struct Text {
    const char* begin;
    std::size_t length;

    bool is(const char* word) const {
        return std::strlen(word) == length && std::memcmp(begin, word, length) == 0;
    }
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A plain decimal: an optional sign, digits with at most one point, an optional exponent, and
// nothing else (no spaces, "inf", "nan" or hexadecimal). Its value must be finite.
bool readNumber(Text text, long double& value) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < text.length && isDigit(text.begin[i])) {
            ++i;
        }
        return i - start;
    };
    if (i < text.length && (text.begin[i] == '-' || text.begin[i] == '+')) {
        ++i;
    }
    std::size_t mantissa = digits();
    if (i < text.length && text.begin[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) {
        return false;
    }
    if (i < text.length && (text.begin[i] == 'e' || text.begin[i] == 'E')) {
        ++i;
        if (i < text.length && (text.begin[i] == '-' || text.begin[i] == '+')) {
            ++i;
        }
        if (digits() == 0) {
            return false;
        }
    }
    char copy[longestPart + 1];
    if (i != text.length || text.length > longestPart) {
        return false;
    }
    std::memcpy(copy, text.begin, text.length);
    copy[text.length] = '\0';
    value = std::strtold(copy, nullptr);
    return std::isfinite(value);
}

// `count` numbers separated by commas.
bool readNumbers(Text text, long double* values, int count) {
    const char* end = text.begin + text.length;
    const char* from = text.begin;
    for (int n = 0; n < count; ++n) {
        const char* comma =
            n + 1 < count ? static_cast<const char*>(std::memchr(from, ',', end - from)) : end;
        if (comma == nullptr || !readNumber(Text{from, std::size_t(comma - from)}, values[n])) {
            return false;
        }
        from = comma + 1;
    }
    return true;
}

bool readDouble(Text text, double& value) {
    long double read = 0;
    if (!readNumber(text, read) || std::fabs(read) > 1e300L) {
        return false;
    }
    value = static_cast<double>(read);
    return true;
}

bool readBody(Text text, std::int32_t& slot) {
    if (text.is("none")) {
        slot = -1;
        return true;
    }
    for (int k = 0; k < maxSlots; ++k) {
        if (text.is(bodyNames[k])) {
            slot = k;
            return true;
        }
    }
    return false;
}

bool readFlag(Text text, bool& flag) {
    if (!text.is("0") && !text.is("1")) {
        return false;
    }
    flag = text.is("1");
    return true;
}

// One part's value into `view`: the part's bit if the name is known and the value reads, the
// part's bit in `bad` if the name is known and it does not; viewPartUnknown for any other name.
std::uint32_t readPart(Text name, Text value, SharedView& view, std::uint32_t& bad) {
    long double n[3] = {};
    bool ok = false;
    std::uint32_t part = viewPartUnknown;
    if (name.is("v")) {
        part = viewPartVersion;
        ok = value.is("1");
    } else if (name.is("time")) {
        part = viewPartTime;
        ok = readDouble(value, view.timeScale);
    } else if (name.is("globes")) {
        part = viewPartGlobes;
        ok = readDouble(value, view.globeScale);
    } else if (name.is("follow")) {
        part = viewPartFollow;
        ok = readBody(value, view.followBody);
    } else if (name.is("level")) {
        part = viewPartLevel;
        ok = readBody(value, view.viewBody);
    } else if (name.is("eye") || name.is("look")) {
        part = name.is("eye") ? viewPartEye : viewPartLook;
        ok = readNumbers(value, n, 3);
        (part == viewPartEye ? view.eye : view.lookAt) = Vec3{n[0], n[1], n[2]};
    } else if (name.is("dir")) {
        part = viewPartDirection;
        ok = readNumbers(value, n, 2);
        view.viewDirHoriz = n[0];
        view.viewDirVert = n[1];
    } else if (name.is("grids")) {
        part = viewPartGrids;
        ok = readNumbers(value, n, 2);
        view.gridScaleA = n[0];
        view.gridScaleB = n[1];
    } else if (name.is("plane")) {
        part = viewPartPlane;
        ok = readBody(value, view.plane);
    } else if (name.is("elapsed")) {
        part = viewPartElapsed;
        ok = readDouble(value, view.elapsed);
    } else if (name.is("paused")) {
        part = viewPartPaused;
        ok = readFlag(value, view.paused);
    } else if (name.is("names")) {
        part = viewPartNames;
        ok = readFlag(value, view.names);
    }
    if (!ok && part != viewPartUnknown) {
        bad |= part;
    }
    return part;
}

// Copies the settings in `parts` from one view to the other.
void copyParts(const SharedView& from, SharedView& to, std::uint32_t parts) {
    if (parts & viewPartTime) {
        to.timeScale = from.timeScale;
    }
    if (parts & viewPartGlobes) {
        to.globeScale = from.globeScale;
    }
    if (parts & viewPartFollow) {
        to.followBody = from.followBody;
    }
    if (parts & viewPartLevel) {
        to.viewBody = from.viewBody;
    }
    if (parts & viewPartEye) {
        to.eye = from.eye;
    }
    if (parts & viewPartLook) {
        to.lookAt = from.lookAt;
    }
    if (parts & viewPartDirection) {
        to.viewDirHoriz = from.viewDirHoriz;
        to.viewDirVert = from.viewDirVert;
    }
    if (parts & viewPartGrids) {
        to.gridScaleA = from.gridScaleA;
        to.gridScaleB = from.gridScaleB;
    }
    if (parts & viewPartPlane) {
        to.plane = from.plane;
    }
    if (parts & viewPartElapsed) {
        to.elapsed = from.elapsed;
    }
    if (parts & viewPartPaused) {
        to.paused = from.paused;
    }
    if (parts & viewPartNames) {
        to.names = from.names;
    }
}

}  // namespace

std::size_t formatView(const SharedView& view, char* out, std::size_t size) {
    const auto body = [](std::int32_t slot) { return slot < 0 ? "none" : bodyNames[slot]; };
    const int length = std::snprintf(
        out, size,
        "v=%d&time=%.17g&globes=%.17g&follow=%s&level=%s&eye=%.17Lg,%.17Lg,%.17Lg"
        "&look=%.17Lg,%.17Lg,%.17Lg&dir=%.17Lg,%.17Lg&grids=%.17Lg,%.17Lg&plane=%s"
        "&elapsed=%.17g&paused=%d&names=%d",
        viewVersion, view.timeScale, view.globeScale, body(view.followBody), body(view.viewBody),
        view.eye.x, view.eye.y, view.eye.z, view.lookAt.x, view.lookAt.y, view.lookAt.z,
        view.viewDirHoriz, view.viewDirVert, view.gridScaleA, view.gridScaleB, body(view.plane),
        view.elapsed, view.paused ? 1 : 0, view.names ? 1 : 0);
    if (length < 0 || static_cast<std::size_t>(length) >= size) {
        if (size > 0) {
            out[0] = '\0';
        }
        return 0;
    }
    return static_cast<std::size_t>(length);
}

std::uint32_t parseView(const char* text, std::size_t length, bool truncated, SharedView& view) {
    SharedView read = view;
    std::uint32_t seen = 0;
    std::uint32_t bad = 0;
    const char* end = text + length;
    for (const char* from = text; from < end;) {
        const char* stop = static_cast<const char*>(std::memchr(from, '&', end - from));
        if (stop == nullptr) {
            stop = end;
        }
        const char* equals = static_cast<const char*>(std::memchr(from, '=', stop - from));
        const Text name{from, std::size_t((equals ? equals : stop) - from)};
        const Text value{equals ? equals + 1 : stop,
                         std::size_t(stop - (equals ? equals + 1 : stop))};
        std::uint32_t part = readPart(name, value, read, bad);
        // A part cut off by the end of what was read, or without a value, or given twice.
        if (part != viewPartUnknown &&
            ((truncated && stop == end) || equals == nullptr || (seen & part) != 0)) {
            bad |= part;
        }
        seen |= part;
        from = stop + 1;
    }
    if ((seen & viewPartVersion) == 0 || (bad & viewPartVersion) != 0) {
        return viewPartVersion | viewSettings | (seen & viewPartUnknown);
    }
    bad |= invalidParts(read);
    const std::uint32_t missing = viewSettings & ~seen;
    copyParts(read, view, viewSettings & seen & ~bad);
    return bad | missing | (seen & viewPartUnknown);
}
