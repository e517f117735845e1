#!/usr/bin/env python3
"""Draws the PNG art of the update dialog's skin into skin/.

The PNGs are committed, so the build never runs this script; run it after
changing a colour or a shape here and commit the regenerated files:

    python3 skin/art/draw_skin_art.py            # writes into skin/
    python3 skin/art/draw_skin_art.py --out DIR  # writes elsewhere

Needs Python 3 with Pillow (Debian: python3-pil). Every shape is drawn at
four times its size and scaled down, which gives smooth edges without
depending on Pillow's own anti-aliasing. Text is never baked into the art:
the program draws it with its own fonts.
"""

import argparse
import math
import os

from PIL import Image, ImageChops, ImageDraw, ImageFilter

SS = 4  # supersampling factor

# The palette of the dialog: a calm blue brand colour on white.
BLUE_TOP = (86, 164, 255)
BLUE_BOTTOM = (30, 108, 229)
BLUE = (36, 124, 240)
BLUE_DARK = (21, 90, 200)
WHITE = (255, 255, 255)
TRACK = (230, 235, 242)
CLOSE_RED = (232, 17, 35)


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def rgba(color, alpha=255):
    return (color[0], color[1], color[2], alpha)


def canvas(width, height, fill=(0, 0, 0, 0)):
    """A supersampled RGBA canvas for a width x height image."""
    return Image.new("RGBA", (width * SS, height * SS), fill)


def finish(image):
    """Scales a supersampled canvas down to its final size."""
    width, height = image.size[0] // SS, image.size[1] // SS
    return downscale(image, (width, height))


def downscale(image, size):
    # Premultiply before resampling so that transparent pixels do not bleed
    # their (meaningless) colour into the edges.
    r, g, b, a = image.split()
    pm = Image.merge("RGB", (ImageChops.multiply(r, a), ImageChops.multiply(g, a),
                             ImageChops.multiply(b, a)))
    pm = pm.resize(size, Image.LANCZOS)
    a = a.resize(size, Image.LANCZOS)
    px, pa = pm.load(), a.load()
    out = Image.new("RGBA", size)
    po = out.load()
    for y in range(size[1]):
        for x in range(size[0]):
            alpha = pa[x, y]
            if alpha == 0:
                po[x, y] = (0, 0, 0, 0)
                continue
            c = px[x, y]
            po[x, y] = tuple(min(255, round(v * 255 / alpha)) for v in c) + (alpha,)
    return out


def vertical_gradient(size, top, bottom):
    width, height = size
    image = Image.new("RGBA", size)
    draw = ImageDraw.Draw(image)
    for y in range(height):
        t = y / max(1, height - 1)
        draw.line([(0, y), (width, y)], fill=rgba(lerp(top, bottom, t)))
    return image


def diagonal_gradient(size, start, end):
    """A gradient from the top-left corner to the bottom-right corner."""
    width, height = size
    small = Image.new("RGBA", (64, 64))
    px = small.load()
    for y in range(64):
        for x in range(64):
            t = (x / 63 * width * width + y / 63 * height * height) / (width * width + height * height)
            px[x, y] = rgba(lerp(start, end, t))
    return small.resize(size, Image.BICUBIC)


def overlay(base, layer):
    base.alpha_composite(layer)
    return base


def soft_circle(size, center, radius, color, alpha, blur):
    layer = Image.new("RGBA", size)
    draw = ImageDraw.Draw(layer)
    cx, cy = center
    draw.ellipse([cx - radius, cy - radius, cx + radius, cy + radius], fill=rgba(color, alpha))
    return layer.filter(ImageFilter.GaussianBlur(blur)) if blur else layer


def ring(size, center, radius, width, color, alpha):
    layer = Image.new("RGBA", size)
    draw = ImageDraw.Draw(layer)
    cx, cy = center
    draw.ellipse([cx - radius, cy - radius, cx + radius, cy + radius],
                 outline=rgba(color, alpha), width=width)
    return layer


# --- bk_main.png: the header behind the title bar and the status text ---

def draw_bk_main():
    w, h = 650, 280
    s = (w * SS, h * SS)
    image = diagonal_gradient(s, BLUE_TOP, BLUE_BOTTOM)
    # A soft light from the upper left, as if the header were lit.
    overlay(image, soft_circle(s, (120 * SS, -60 * SS), 260 * SS, WHITE, 40, 60 * SS))
    # Large, faint circles give the surface depth without drawing the eye.
    overlay(image, soft_circle(s, (610 * SS, 20 * SS), 150 * SS, WHITE, 22, 0))
    overlay(image, soft_circle(s, (690 * SS, 120 * SS), 130 * SS, WHITE, 14, 0))
    overlay(image, soft_circle(s, (-30 * SS, 270 * SS), 120 * SS, WHITE, 16, 0))
    overlay(image, ring(s, (560 * SS, 230 * SS), 46 * SS, 2 * SS, WHITE, 30))
    overlay(image, ring(s, (70 * SS, 90 * SS), 22 * SS, 2 * SS, WHITE, 26))
    # A few small dots, like distant lights.
    dots = Image.new("RGBA", s)
    draw = ImageDraw.Draw(dots)
    for x, y, r, a in [(520, 70, 3, 70), (545, 95, 2, 50), (110, 200, 2, 55), (600, 170, 2, 45),
                       (40, 150, 3, 40), (470, 40, 2, 40)]:
        draw.ellipse([(x - r) * SS, (y - r) * SS, (x + r) * SS, (y + r) * SS], fill=rgba(WHITE, a))
    overlay(image, dots)
    return image.resize((w, h), Image.LANCZOS)


# --- ico_update.png: a cloud with an upward arrow (the checking page) ---

def cloud_mask(size, box):
    """A cloud silhouette filling box (left, top, right, bottom)."""
    mask = Image.new("L", size, 0)
    draw = ImageDraw.Draw(mask)
    l, t, r, b = box
    w, h = r - l, b - t
    base_top = t + h * 0.52
    draw.rounded_rectangle([l, base_top, r, b], radius=(b - base_top) / 2, fill=255)
    for cx, cy, rad in [(0.30, 0.56, 0.22), (0.55, 0.40, 0.32), (0.78, 0.60, 0.20)]:
        x, y, rr = l + w * cx, t + h * cy, w * rad
        draw.ellipse([x - rr, y - rr, x + rr, y + rr], fill=255)
    return mask


def draw_ico_update():
    w, h = 92, 78
    image = canvas(w, h)
    s = image.size
    # Shadow under the cloud, then the cloud in white.
    cloud = cloud_mask(s, (4 * SS, 6 * SS, 88 * SS, 70 * SS))
    shadow = Image.new("RGBA", s, rgba(BLUE_DARK, 0))
    shadow.putalpha(cloud.point(lambda v: v * 70 // 255))
    shadow = ImageChops.offset(shadow, 0, 3 * SS).filter(ImageFilter.GaussianBlur(3 * SS))
    image.alpha_composite(shadow)
    body = vertical_gradient(s, (255, 255, 255), (226, 238, 255))
    body.putalpha(cloud)
    image.alpha_composite(body)
    # The arrow, in the brand blue, standing on the cloud's middle.
    draw = ImageDraw.Draw(image)
    cx = 47 * SS
    shaft_w, head_w = 9 * SS, 26 * SS
    top, head_bottom, bottom = 26 * SS, 42 * SS, 60 * SS
    draw.polygon([(cx, top), (cx + head_w / 2, head_bottom), (cx + shaft_w / 2, head_bottom),
                  (cx + shaft_w / 2, bottom), (cx - shaft_w / 2, bottom),
                  (cx - shaft_w / 2, head_bottom), (cx - head_w / 2, head_bottom)],
                 fill=rgba(BLUE))
    return finish(image)


# --- logo_news.png: a rocket lifting off (the offer page) ---

def rocket_layer(size):
    """An upright rocket centred in a layer of the given size."""
    layer = Image.new("RGBA", size)
    draw = ImageDraw.Draw(layer)
    w, h = size
    cx = w / 2
    body_w, body_top, body_bottom = w * 0.30, h * 0.10, h * 0.78
    # Fins behind the body.
    fin = rgba((255, 138, 76))
    draw.polygon([(cx - body_w * 0.45, h * 0.52), (cx - body_w * 1.05, h * 0.86),
                  (cx - body_w * 0.45, h * 0.78)], fill=fin)
    draw.polygon([(cx + body_w * 0.45, h * 0.52), (cx + body_w * 1.05, h * 0.86),
                  (cx + body_w * 0.45, h * 0.78)], fill=fin)
    # The body: a tall ellipse cut flat at the bottom.
    body = Image.new("L", size, 0)
    bd = ImageDraw.Draw(body)
    bd.ellipse([cx - body_w / 2, body_top, cx + body_w / 2, body_bottom + (body_bottom - body_top) * 0.35],
               fill=255)
    bd.rectangle([0, body_bottom, w, h], fill=0)
    shade = Image.new("RGBA", size)
    sd = ImageDraw.Draw(shade)
    for x in range(int(cx - body_w / 2), int(cx + body_w / 2) + 1):
        t = (x - (cx - body_w / 2)) / body_w
        c = lerp((255, 255, 255), (214, 228, 250), max(0.0, t - 0.35) / 0.65)
        sd.line([(x, 0), (x, h)], fill=rgba(c))
    shade.putalpha(body)
    layer.alpha_composite(shade)
    # The nose cone tinted in the accent colour.
    nose = Image.new("L", size, 0)
    ImageDraw.Draw(nose).rectangle([0, 0, w, h * 0.24], fill=255)
    nose = ImageChops.multiply(nose, body)
    tint = Image.new("RGBA", size, rgba((255, 120, 74)))
    tint.putalpha(nose)
    layer.alpha_composite(tint)
    # The window: a blue glass disc in a white ring.
    wy, wr = h * 0.40, body_w * 0.26
    draw.ellipse([cx - wr - w * 0.012, wy - wr - w * 0.012, cx + wr + w * 0.012, wy + wr + w * 0.012],
                 fill=rgba((200, 220, 250)))
    draw.ellipse([cx - wr, wy - wr, cx + wr, wy + wr], fill=rgba(BLUE))
    draw.ellipse([cx - wr * 0.55, wy - wr * 0.65, cx - wr * 0.05, wy - wr * 0.15], fill=rgba(WHITE, 150))
    # The middle fin, seen edge on.
    draw.rounded_rectangle([cx - body_w * 0.07, h * 0.62, cx + body_w * 0.07, h * 0.86],
                           radius=body_w * 0.07, fill=rgba((240, 110, 60)))
    # Flame below the body.
    flame = Image.new("RGBA", size)
    fd = ImageDraw.Draw(flame)
    fd.polygon([(cx - body_w * 0.30, body_bottom), (cx + body_w * 0.30, body_bottom), (cx, h * 0.99)],
               fill=rgba((255, 196, 61)))
    fd.polygon([(cx - body_w * 0.16, body_bottom), (cx + body_w * 0.16, body_bottom), (cx, h * 0.92)],
               fill=rgba((255, 244, 200)))
    layer.alpha_composite(flame.filter(ImageFilter.GaussianBlur(w * 0.004)))
    return layer


def draw_logo_news():
    w, h = 218, 122
    image = canvas(w, h)
    s = image.size
    # Clouds at the bottom, the rocket rising out of them, tilted to the right.
    puff = Image.new("L", s, 0)
    pd = ImageDraw.Draw(puff)
    for cx, cy, r in [(70, 112, 18), (92, 104, 22), (118, 106, 20), (140, 112, 16), (55, 118, 12),
                      (160, 118, 12), (105, 118, 20)]:
        pd.ellipse([(cx - r) * SS, (cy - r) * SS, (cx + r) * SS, (cy + r) * SS], fill=255)
    pd.rectangle([0, 121 * SS, w * SS, h * SS], fill=0)
    glow = soft_circle(s, (108 * SS, 62 * SS), 38 * SS, WHITE, 52, 10 * SS)
    image.alpha_composite(glow)
    rocket = rocket_layer((112 * SS, 140 * SS)).rotate(-32, resample=Image.BICUBIC, expand=True)
    rx = 106 * SS - rocket.size[0] // 2
    ry = 54 * SS - rocket.size[1] // 2
    image.alpha_composite(rocket, (rx, ry))
    clouds = Image.new("RGBA", s, rgba(WHITE))
    clouds.putalpha(puff.point(lambda v: v * 235 // 255))
    image.alpha_composite(clouds)
    # Sparkles around the rocket.
    draw = ImageDraw.Draw(image)
    for x, y, r, a in [(40, 30, 7, 230), (176, 22, 6, 220), (190, 70, 4, 180), (28, 74, 4, 170),
                       (150, 8, 3, 160), (62, 10, 3, 150)]:
        x, y, r = x * SS, y * SS, r * SS
        draw.polygon([(x, y - r), (x + r * 0.28, y - r * 0.28), (x + r, y), (x + r * 0.28, y + r * 0.28),
                      (x, y + r), (x - r * 0.28, y + r * 0.28), (x - r, y), (x - r * 0.28, y - r * 0.28)],
                     fill=rgba(WHITE, a))
    return finish(image)


# --- Title-bar button strips: 66 x 22, cells normal, hot, pushed ---

def sys_button_strip(glyph, hot_fill, pushed_fill):
    image = canvas(66, 22)
    draw = ImageDraw.Draw(image)
    for cell, fill in enumerate([None, hot_fill, pushed_fill]):
        x0 = cell * 22 * SS
        if fill:
            draw.rounded_rectangle([x0 + 1 * SS, 1 * SS, x0 + 21 * SS, 21 * SS], radius=4 * SS, fill=fill)
        glyph(draw, x0, rgba(WHITE, 235 if cell == 0 else 255))
    return finish(image)


def glyph_min(draw, x0, color):
    draw.rectangle([x0 + 6 * SS, 10.4 * SS, x0 + 16 * SS, 11.8 * SS], fill=color)


def glyph_max(draw, x0, color):
    draw.rectangle([x0 + 6.5 * SS, 6.5 * SS, x0 + 15.5 * SS, 15.5 * SS], outline=color, width=int(1.4 * SS))


def glyph_restore(draw, x0, color):
    draw.rectangle([x0 + 8.5 * SS, 5.5 * SS, x0 + 16 * SS, 13 * SS], outline=color, width=int(1.3 * SS))
    draw.rectangle([x0 + 5.5 * SS, 8.5 * SS, x0 + 13 * SS, 16 * SS], fill=(0, 0, 0, 0))
    draw.rectangle([x0 + 5.5 * SS, 8.5 * SS, x0 + 13 * SS, 16 * SS], outline=color, width=int(1.3 * SS))


def glyph_close(draw, x0, color):
    a, b, width = 6.5 * SS, 15.5 * SS, int(1.5 * SS)
    draw.line([(x0 + a, a), (x0 + b, b)], fill=color, width=width)
    draw.line([(x0 + a, b), (x0 + b, a)], fill=color, width=width)


def glyph_menu(draw, x0, color):
    for y in (7, 10.5, 14):
        draw.rectangle([x0 + 6 * SS, y * SS, x0 + 16 * SS, (y + 1.3) * SS], fill=color)


def draw_sys_strips():
    hot, pushed = rgba(WHITE, 46), rgba((0, 40, 110), 60)
    strips = {
        "sys_dlg_min.png": sys_button_strip(glyph_min, hot, pushed),
        "sys_dlg_max.png": sys_button_strip(glyph_max, hot, pushed),
        "sys_dlg_menu.png": sys_button_strip(glyph_menu, hot, pushed),
        "sys_dlg_close.png": sys_button_strip(glyph_close, rgba(CLOSE_RED), rgba((178, 12, 28))),
    }
    # The restore glyph clears its lower square with transparent pixels, so it
    # is drawn per cell on its own layer before the cell's background.
    restore = canvas(66, 22)
    for cell, fill in enumerate([None, hot, pushed]):
        x0 = cell * 22 * SS
        back = Image.new("RGBA", restore.size)
        if fill:
            ImageDraw.Draw(back).rounded_rectangle([x0 + 1 * SS, 1 * SS, x0 + 21 * SS, 21 * SS],
                                                   radius=4 * SS, fill=fill)
        glyph = Image.new("RGBA", restore.size)
        glyph_restore(ImageDraw.Draw(glyph), x0, rgba(WHITE, 235 if cell == 0 else 255))
        restore.alpha_composite(back)
        restore.alpha_composite(glyph)
    strips["sys_dlg_restore.png"] = finish(restore)
    return strips


# --- btn_blue.png: the primary button, 540 x 48, cells normal, hot, pushed ---

def draw_btn_blue():
    image = canvas(540, 48)
    states = [
        ((58, 145, 255), (27, 112, 235), 90),   # normal
        ((84, 162, 255), (46, 128, 245), 110),  # hot: lighter
        ((24, 100, 214), (18, 86, 196), 40),    # pushed: deeper
    ]
    for cell, (top, bottom, highlight) in enumerate(states):
        x0 = cell * 180 * SS
        box = [x0 + 0.5 * SS, 0.5 * SS, x0 + 179.5 * SS, 47.5 * SS]
        mask = Image.new("L", image.size, 0)
        ImageDraw.Draw(mask).rounded_rectangle(box, radius=5 * SS, fill=255)
        fill = vertical_gradient(image.size, top, bottom)
        fill.putalpha(mask)
        image.alpha_composite(fill)
        # A hairline of light along the top edge reads as a gentle bevel.
        line = Image.new("L", image.size, 0)
        ImageDraw.Draw(line).rounded_rectangle(box, radius=5 * SS, outline=255, width=SS)
        ImageDraw.Draw(line).rectangle([0, 8 * SS, image.size[0], image.size[1]], fill=0)
        line = ImageChops.multiply(line, mask)
        light = Image.new("RGBA", image.size, rgba(WHITE))
        light.putalpha(line.point(lambda v: v * highlight // 255))
        image.alpha_composite(light)
    return finish(image)


# --- bk_progress.png: 20 x 10, fore cell 0..10, track cell 10..20 ---

def draw_bk_progress():
    image = canvas(20, 10)
    mask = Image.new("L", image.size, 0)
    ImageDraw.Draw(mask).rounded_rectangle([0, 0, 10 * SS - 1, 10 * SS - 1], radius=5 * SS, fill=255)
    fore = vertical_gradient(image.size, (84, 166, 255), (36, 124, 240))
    fore.putalpha(mask)
    image.alpha_composite(fore)
    draw = ImageDraw.Draw(image)
    draw.rounded_rectangle([10 * SS, 0, 20 * SS - 1, 10 * SS - 1], radius=5 * SS, fill=rgba(TRACK))
    return finish(image)


# --- bk_border.png: 76 x 76 soft shadow, 8-pixel frame around the window ---

def shadow_frame(size, margin, peak, sigma, radius):
    """A shadow of a rectangle inset by margin, transparent where the window
    itself covers it."""
    big = size * SS
    mask = Image.new("L", (big, big), 0)
    ImageDraw.Draw(mask).rounded_rectangle(
        [margin * SS, margin * SS, (size - margin) * SS - 1, (size - margin) * SS - 1],
        radius=radius * SS, fill=peak)
    mask = mask.filter(ImageFilter.GaussianBlur(sigma * SS))
    hole = Image.new("L", (big, big), 255)
    ImageDraw.Draw(hole).rounded_rectangle(
        [margin * SS, margin * SS, (size - margin) * SS - 1, (size - margin) * SS - 1],
        radius=radius * SS, fill=0)
    mask = ImageChops.multiply(mask, hole)
    image = Image.new("RGBA", (big, big), rgba((8, 24, 56)))
    image.putalpha(mask)
    # Resampling lets a trace of the shadow into the hole, and the hole's edge
    # is stretched over the whole window by the nine-grid: the shadow window
    # lies above its owner, so anything there darkens the dialog's rim.
    small = finish(image)
    inner = Image.new("L", small.size, 255)
    ImageDraw.Draw(inner).rounded_rectangle(
        [margin, margin, size - margin - 1, size - margin - 1], radius=radius, fill=0)
    small.putalpha(ImageChops.multiply(small.getchannel("A"), inner))
    return small


def draw_bk_border():
    return shadow_frame(76, 8, 150, 2.4, 0)


def draw_bk_border_layered():
    # A variant for windows with rounded corners drawn as layered images: the
    # same shadow around a 6-pixel rounded rectangle.
    return shadow_frame(76, 8, 160, 2.4, 6)


# --- logo_zip.png: a zipped archive (shown with packed crash reports) ---

def draw_logo_zip():
    w = h = 48
    image = canvas(w, h)
    draw = ImageDraw.Draw(image)
    body = [8 * SS, 4 * SS, 40 * SS, 44 * SS]
    draw.rounded_rectangle([body[0], body[1] + SS, body[2], body[3] + SS], radius=4 * SS,
                           fill=rgba(BLUE_DARK, 60))
    draw.rounded_rectangle(body, radius=4 * SS, fill=rgba((255, 196, 61)))
    draw.rectangle([8 * SS, 18 * SS, 40 * SS, 22 * SS], fill=rgba((240, 168, 40)))
    # The zipper: alternating teeth down the middle, ending in a pull tab.
    for i, y in enumerate(range(6, 28, 3)):
        x = 22 if i % 2 == 0 else 24
        draw.rectangle([x * SS, y * SS, (x + 2) * SS, (y + 2) * SS], fill=rgba((120, 80, 20)))
    draw.rounded_rectangle([20 * SS, 29 * SS, 28 * SS, 39 * SS], radius=2 * SS, fill=rgba((120, 80, 20)))
    draw.rounded_rectangle([22 * SS, 33 * SS, 26 * SS, 37 * SS], radius=1 * SS, fill=rgba((255, 196, 61)))
    return finish(image)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.dirname(here), help="folder for the PNG files")
    out = parser.parse_args().out
    images = {
        "bk_main.png": draw_bk_main(),
        "ico_update.png": draw_ico_update(),
        "logo_news.png": draw_logo_news(),
        "btn_blue.png": draw_btn_blue(),
        "bk_progress.png": draw_bk_progress(),
        "bk_border.png": draw_bk_border(),
        "bk_border_layered.png": draw_bk_border_layered(),
        "logo_zip.png": draw_logo_zip(),
    }
    images.update(draw_sys_strips())
    os.makedirs(out, exist_ok=True)
    for name, image in sorted(images.items()):
        path = os.path.join(out, name)
        image.save(path, optimize=True)
        print(f"{path}: {image.size[0]} x {image.size[1]}")


if __name__ == "__main__":
    main()
