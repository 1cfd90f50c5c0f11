"""What the TESSALORAN window should show, worked out from the camera and the scene's table, and
the pixel classes to compare a capture with.

Every colour the program draws is flat (no lighting, blending or smoothing), so a pixel is one of
black, red (grids), white (orbits, radius lines, markers), yellow (the Sun and its light shells)
or light green (the 5,000,000 km rings). Shapes are predicted as 3-D polylines in scene
kilometres, projected as gluLookAt + gluPerspective(90, 1024/768) do, and turned into masks or
sample points on the window. Standard library and PIL only.
"""

import math
import time

from PIL import Image, ImageChops, ImageDraw, ImageFilter

import harness

WIDTH, HEIGHT = 1024, 768
CENTRE = (WIDTH / 2, HEIGHT / 2)
FOVY = 90.0
NEAR = 1.0

# Inclusive channel ranges per class. The program draws exact colours; the ranges only leave room
# for a capture that is not bit-exact.
CLASSES = {
    "black": ((0, 40), (0, 40), (0, 40)),
    "red": ((200, 255), (0, 60), (0, 60)),
    "white": ((200, 255), (200, 255), (200, 255)),
    "yellow": ((200, 255), (200, 255), (0, 60)),
    "green": ((90, 170), (200, 255), (90, 170)),  # glColor3f(0.5, 1, 0.5)
}

# --- the scene's table, as far as the picture needs it -------------------------------------------

LIGHT_SPEED = 299792.458  # km/s
SUN_DRIFT = 241.35  # km/s along +z
AU = 149600000.0  # km
AU_LIGHT_TIME = 499.0118864164355  # s
SUN_RADIUS = 696000.0
GREEN_RING = 5000000.0
MOON_ORBIT = 379600.0
START_EYE = (0.0, 10000000.0, 10000000.0)

# Per slot: orbit radius (km), inclination (degrees), distance from the Sun in AU (for the drift
# level). Every orbit node is 0 and every planet starts at orbit angle 0.
PLANETS = [
    (0.0, 0.0, 0.0),
    (0.387 * AU, 7.0044444444444, 0.387),
    (0.723 * AU, 3.3944444444444, 0.723),
    (AU, 0.0, 1.0),
    (227900000.0, 0.0, 227900000.0 / AU),
    (5.203 * AU, 1.3, 5.203),
    (9.582 * AU, 2.48, 9.582),
    (19.201 * AU, 0.77, 19.201),
    (30.047 * AU, 1.77, 30.047),
    (39.236 * AU, 17.16, 39.236),
]


def drift_level(slot):
    """How far the Sun drifts along +z while its light crosses the slot's orbit."""
    return SUN_DRIFT * PLANETS[slot][2] * AU_LIGHT_TIME


# --- vectors and rotations -----------------------------------------------------------------------

def add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def scale(a, k):
    return (a[0] * k, a[1] * k, a[2] * k)


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def normalised(a):
    length = math.sqrt(dot(a, a))
    return scale(a, 1.0 / length)


IDENTITY = ((1.0, 0.0, 0.0), (0.0, 1.0, 0.0), (0.0, 0.0, 1.0))


def rotation_y(degrees):
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))
    return ((c, 0.0, s), (0.0, 1.0, 0.0), (-s, 0.0, c))


def rotation_x(degrees):
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))
    return ((1.0, 0.0, 0.0), (0.0, c, -s), (0.0, s, c))


def apply(m, v):
    return tuple(dot(row, v) for row in m)


def compose(*matrices):
    """The product of the matrices in the order GL multiplies them onto the stack: the last one
    acts on a vertex first."""
    result = IDENTITY
    for m in matrices:
        result = tuple(tuple(sum(result[i][k] * m[k][j] for k in range(3)) for j in range(3))
                       for i in range(3))
    return result


def tilt(node, inclination):
    """The orbital-plane tilt: about y by node - 90, about x by the inclination, back about y."""
    a = node - 90.0
    return compose(rotation_y(a), rotation_x(inclination), rotation_y(-a))


# --- shapes --------------------------------------------------------------------------------------


def ring(centre, radius, segments, rotation=IDENTITY):
    """A closed polyline: the circle of the given radius in the rotated XZ plane."""
    points = []
    for k in range(1, segments + 1):
        phi = 2 * math.pi * k / segments
        points.append(add(centre, apply(rotation, (radius * math.cos(phi), 0.0,
                                                   radius * math.sin(phi)))))
    points.append(points[0])
    return points


def orbit_point(centre, radius, angle, rotation=IDENTITY):
    """The point at orbit angle `angle` (degrees) on a circle: (r cos a, 0, -r sin a)."""
    a = math.radians(angle)
    return add(centre, apply(rotation, (radius * math.cos(a), 0.0, -radius * math.sin(a))))


def grid_lines(extent):
    """The 22 lines of a reference grid of the given side length, in the XZ plane about the
    look-at point."""
    half = extent / 2
    lines = []
    for i in range(11):
        p = -half + i * extent / 10
        lines.append([(p, 0.0, -half), (p, 0.0, half)])
        lines.append([(-half, 0.0, p), (half, 0.0, p)])
    return lines


def planet_position(slot, angle=0.0, offset=(0.0, 0.0, 0.0)):
    """Scene position of a planet's reference point, drawn relative to the look-at point."""
    radius, inclination, _ = PLANETS[slot]
    centre = (0.0, 0.0, drift_level(slot))
    return sub(orbit_point(centre, radius, angle, tilt(0.0, inclination)), offset)


def planet_orbits(angle=0.0, offset=(0.0, 0.0, 0.0)):
    """Every slot's white orbit ring and radius line, at the same orbit angle for all."""
    shapes = []
    for slot, (radius, inclination, _) in enumerate(PLANETS):
        if radius == 0:
            continue
        centre = sub((0.0, 0.0, drift_level(slot)), offset)
        rotation = tilt(0.0, inclination)
        shapes.append(ring(centre, radius, 1000, rotation))
        shapes.append([centre, planet_position(slot, angle, offset)])
    return shapes


def green_rings(angle=0.0, offset=(0.0, 0.0, 0.0)):
    """Every slot's light-green ring about its planet's reference point."""
    return [ring(planet_position(slot, angle, offset), GREEN_RING, 100,
                 tilt(0.0, PLANETS[slot][1])) for slot in range(len(PLANETS))]


# --- the camera ----------------------------------------------------------------------------------


class Camera:
    """gluLookAt(eye, origin, +y) with gluPerspective(90, width / height, 1, ...)."""

    def __init__(self, eye=START_EYE, width=WIDTH, height=HEIGHT):
        self.eye = eye
        self.width = width
        self.height = height
        self.forward = normalised(scale(eye, -1.0))
        self.side = normalised(cross(self.forward, (0.0, 1.0, 0.0)))
        self.up = cross(self.side, self.forward)
        self.focal = (height / 2) / math.tan(math.radians(FOVY / 2))
        self.distance = math.sqrt(dot(eye, eye))

    def view(self, p):
        d = sub(p, self.eye)
        return (dot(d, self.side), dot(d, self.up), dot(d, self.forward))

    def project(self, p):
        """Window position (x right, y down, pixels) of a scene point, or None behind the near
        plane."""
        return self._to_window(self.view(p))

    def _to_window(self, v):
        x, y, depth = v
        if depth < NEAR:
            return None
        return (self.width / 2 + self.focal * x / depth, self.height / 2 - self.focal * y / depth)

    def segment(self, a, b, margin=4):
        """The part of the 3-D segment a-b that is in front of the near plane and on the window
        (widened by `margin`), as two window points, or None."""
        va, vb = self.view(a), self.view(b)
        if va[2] < NEAR and vb[2] < NEAR:
            return None
        if va[2] < NEAR or vb[2] < NEAR:
            # Cut a little in front of the near plane so the cut point itself projects.
            t = (2 * NEAR - va[2]) / (vb[2] - va[2])
            cut = tuple(va[i] + t * (vb[i] - va[i]) for i in range(3))
            va, vb = (cut, vb) if va[2] < NEAR else (va, cut)
        pa, pb = self._to_window(va), self._to_window(vb)
        if pa is None or pb is None:
            return None
        return clip_to_box(pa, pb, -margin, -margin, self.width + margin, self.height + margin)

    def segments(self, polyline):
        out = []
        for a, b in zip(polyline, polyline[1:]):
            s = self.segment(a, b)
            if s is not None:
                out.append(s)
        return out


def clip_to_box(pa, pb, x0, y0, x1, y1):
    """Liang-Barsky: the part of the 2-D segment inside the box, or None."""
    dx, dy = pb[0] - pa[0], pb[1] - pa[1]
    lo, hi = 0.0, 1.0
    for p, q in ((-dx, pa[0] - x0), (dx, x1 - pa[0]), (-dy, pa[1] - y0), (dy, y1 - pa[1])):
        if p == 0:
            if q < 0:
                return None
            continue
        t = q / p
        if p < 0:
            lo = max(lo, t)
        else:
            hi = min(hi, t)
        if lo > hi:
            return None
    return ((pa[0] + lo * dx, pa[1] + lo * dy), (pa[0] + hi * dx, pa[1] + hi * dy))


# --- pixels --------------------------------------------------------------------------------------


def colour_mask(image, name):
    """An 'L' image: 255 where the pixel is of the class, 0 elsewhere."""
    bands = image.convert("RGB").split()
    mask = None
    for band, (lo, hi) in zip(bands, CLASSES[name]):
        part = band.point(lambda v, lo=lo, hi=hi: 255 if lo <= v <= hi else 0)
        mask = part if mask is None else ImageChops.multiply(mask, part)
    return mask


def count(mask):
    return mask.histogram()[255]


def grow(mask, pixels):
    """The mask widened by `pixels` on every side."""
    return mask.filter(ImageFilter.MaxFilter(2 * pixels + 1))


def shape_mask(camera, polylines, width=5, discs=()):
    """Pixels within about width / 2 of the projected polylines, plus the given discs
    ((x, y, radius) in window pixels)."""
    mask = Image.new("L", (camera.width, camera.height), 0)
    draw = ImageDraw.Draw(mask)
    for polyline in polylines:
        for a, b in camera.segments(polyline):
            draw.line([a, b], fill=255, width=width)
            for x, y in (a, b):  # round the joints
                draw.ellipse([x - width / 2, y - width / 2, x + width / 2, y + width / 2],
                             fill=255)
    for x, y, r in discs:
        draw.ellipse([x - r, y - r, x + r, y + r], fill=255)
    return mask


def filled(camera, polyline):
    """Pixels inside the projected closed polyline (all of it in front of the camera)."""
    mask = Image.new("L", (camera.width, camera.height), 0)
    points = [camera.project(p) for p in polyline]
    if all(p is not None for p in points):
        ImageDraw.Draw(mask).polygon(points, fill=255, outline=255)
    return mask


def samples(camera, polyline, spacing=3.0):
    """Points every `spacing` pixels along the visible part of the projected polyline, inside
    the window."""
    points = []
    for (ax, ay), (bx, by) in camera.segments(polyline):
        n = max(1, int(math.hypot(bx - ax, by - ay) / spacing))
        for i in range(n + 1):
            x, y = ax + (bx - ax) * i / n, ay + (by - ay) * i / n
            if 0 <= x < camera.width and 0 <= y < camera.height:
                points.append((x, y))
    return points


def coverage(near, points):
    """Share of the points on which the mask `near` (usually a colour mask widened by `grow`) is
    set, and the number of points."""
    if not points:
        return 0.0, 0
    hits = sum(1 for x, y in points if near.getpixel((int(x), int(y))) == 255)
    return hits / len(points), len(points)


def outside(mask, allowed):
    """How many pixels of `mask` lie outside `allowed`."""
    return count(ImageChops.subtract(mask, allowed))


def pixels_of(mask):
    """The (x, y) of every set pixel, for small masks."""
    box = mask.getbbox()
    if box is None:
        return []
    x0, y0, x1, y1 = box
    data = mask.crop(box).load()
    return [(x0 + x, y0 + y) for y in range(y1 - y0) for x in range(x1 - x0) if data[x, y]]


def disc(mask, centre, radius):
    """The mask restricted to a disc about `centre`."""
    keep = Image.new("L", mask.size, 0)
    cx, cy = centre
    ImageDraw.Draw(keep).ellipse([cx - radius, cy - radius, cx + radius, cy + radius], fill=255)
    return ImageChops.multiply(mask, keep)


def differing(a, b):
    """How many pixels differ between two captures."""
    diff = ImageChops.difference(a.image, b.image).convert("L")
    return count(diff.point(lambda v: 255 if v > 0 else 0))


def sun_radius_px(camera):
    """Radius on the window of the outline of the Sun, at the look-at point."""
    d = camera.distance
    return camera.focal * SUN_RADIUS / math.sqrt(d * d - SUN_RADIUS * SUN_RADIUS)


class Capture:
    """One captured window with its colour masks, worked out once each."""

    def __init__(self, image, taken_at=None):
        self.image = image.convert("RGB")
        self.taken_at = taken_at
        self._masks = {}
        self._near = {}

    def mask(self, name):
        """The pixels of a colour class, or with "drawn" every pixel that is not black."""
        if name not in self._masks:
            if name == "drawn":
                self._masks[name] = ImageChops.invert(self.mask("black"))
            else:
                self._masks[name] = colour_mask(self.image, name)
        return self._masks[name]

    def near(self, name):
        """The colour's pixels widened by two: a predicted line may be off by rounding."""
        if name not in self._near:
            self._near[name] = grow(self.mask(name), 2)
        return self._near[name]

    def count(self, name):
        return count(self.mask(name))

    def coverage(self, name, camera, polyline):
        return coverage(self.near(name), samples(camera, polyline))

    def stray(self, name, camera, polylines, discs=()):
        """How many pixels of the colour lie away from every predicted shape."""
        return outside(self.mask(name), shape_mask(camera, polylines, discs=discs))

    def unclassified(self):
        known = None
        for name in CLASSES:
            known = self.mask(name) if known is None else ImageChops.lighter(known, self.mask(name))
        return self.image.width * self.image.height - count(known)


class PictureAssertions:
    """Checks of a capture against predicted shapes, for unittest.TestCase subclasses."""

    def assertDrawn(self, capture, name, camera, polyline, label, share=0.9, at_least=20):
        """The visible part of the polyline is drawn in the colour along at least `share` of its
        length. Returns the number of sample points (0 when the shape is off the window)."""
        got, n = capture.coverage(name, camera, polyline)
        if n >= at_least:
            self.assertGreaterEqual(got, share, "%s: only %.0f%% of %d points on the window are "
                                    "%s" % (label, 100 * got, n, name))
        return n

    def assertOnlyOn(self, capture, name, camera, polylines, label, discs=(), allowance=20):
        stray = capture.stray(name, camera, polylines, discs)
        self.assertLessEqual(stray, allowance, "%d %s pixels are away from %s"
                             % (stray, name, label))

    def assertGrids(self, capture, camera, extents, share=0.75):
        """The two red grids of the given side lengths, centred on the look-at point, and no
        other red. The grids are drawn first, so the lines and globes drawn later cover them in
        places: each grid line must be drawn along nearly all its length, and red along
        `share` of the grids' length on the window."""
        lines = [line for extent in extents for line in grid_lines(extent)]
        self.assertOnlyOn(capture, "red", camera, lines, "the grid lines")
        visible, hits, points = 0, 0, 0
        for i, line in enumerate(lines):
            if self.assertDrawn(capture, "drawn", camera, line, "grid line %d" % i) >= 20:
                visible += 1
                got, n = capture.coverage("red", camera, line)
                hits, points = hits + got * n, points + n
        self.assertGreaterEqual(visible, 20, "only %d grid lines cross the window" % visible)
        self.assertGreaterEqual(hits / points, share, "only %.0f%% of the grid lines are red"
                                % (100 * hits / points))

    def assertSunAtCentre(self, capture, camera):
        """The Sun's yellow wire globe fills its outline about the window's centre."""
        radius = sun_radius_px(camera)
        inside = pixels_of(disc(capture.mask("yellow"), CENTRE, radius + 2))
        self.assertGreaterEqual(len(inside), 20 * radius,
                                "%d yellow pixels within the Sun's outline of radius %.1f"
                                % (len(inside), radius))
        cx = sum(x for x, _ in inside) / len(inside)
        cy = sum(y for _, y in inside) / len(inside)
        self.assertLess(math.hypot(cx - CENTRE[0], cy - CENTRE[1]), 3,
                        "the Sun's yellow is centred on (%.1f, %.1f)" % (cx, cy))
        # Its wires reach the outline in every direction.
        sectors = [0] * 8
        for x, y in inside:
            dx, dy = x + 0.5 - CENTRE[0], y + 0.5 - CENTRE[1]
            if math.hypot(dx, dy) >= 0.7 * radius:
                sectors[int((math.atan2(dy, dx) + math.pi) / (2 * math.pi) * 8) % 8] += 1
        self.assertTrue(all(n >= 3 for n in sectors),
                        "the Sun's outline is not filled all round: %s" % sectors)


def capture(app, label):
    """A capture of the program's window, stamped with the monotonic times around it."""
    before = time.monotonic()
    image = app.screenshot(label)
    return Capture(image, (before, time.monotonic()))


def capture_until(app, label, condition, timeout=10.0):
    """Captures the window until `condition(capture)` holds, and returns that capture, or the
    last one when `timeout` seconds have passed."""
    deadline = time.monotonic() + harness.patience(timeout)
    while True:
        shot = capture(app, label)
        if condition(shot) or time.monotonic() > deadline:
            return shot


def drawn(shot):
    """Anything on the window at all: the first frame has been shown."""
    return shot.count("black") < WIDTH * HEIGHT
