// Start-up: modules, channels, the window, and every picture and sound.
#include "assets/assets.h"
#include "game/game.h"

#include <cstdio>

namespace kelp {

namespace {

ImageRef Picture(const char* name) { return LoadImageFromUrl(std::string("incbin::gfx\\") + name, -1); }

ImageRef Strip(const char* name, int cellWidth, int cellHeight, int cells) {
    return LoadImageStrip(std::string("incbin::gfx\\") + name, cellWidth, cellHeight, 0, cells, -1);
}

SoundRef Sound(const char* name) { return LoadSoundFrom(std::string("incbin::snd\\") + name, 0); }

// 64 pixels: large enough for task switchers, small enough to embed.
void SetWindowIcon() {
    if (PixmapRef icon = LoadPixelMap("incbin::icons\\64.png")) SetScreenIcon(*icon);
}

}  // namespace

void loadPictures() {
    RegisterGamePictures();
    fish_head = Strip("fish_head.png", 300, 300, 6);
    fish_tail = Picture("fish_tail.png");
    me_head = Strip("me_head.png", 150, 150, 7);
    helmet = Picture("helmet.png");
    me_body = Strip("me_body.png", 150, 150, 17);
    me_legs = Strip("me_legs.png", 100, 100, 12);
    light = Picture("light.png");
    big_light = Picture("big_light.png");
    ball = Strip("ball.png", 50, 50, 5);
    lightning = Strip("lightning.png", 50, 50, 10);
    neon = Strip("neon.png", 50, 50, 5);
    eye = Picture("eye.png");
    eye_bg = Picture("eye_bg.png");
    clock = Picture("clock.png");
    clock_cursor = Picture("clock_cursor.png");
    goal = Picture("goal.png");
    little_cursor = Picture("little_cursor.png");
}

void loadSounds() {
    RegisterGameSounds();
    beam_bound = Sound("beam_bound.wav");
    beam_touch = Sound("beam_touch.wav");
    NOTE_SOUNDS = {Sound("do.wav"), Sound("re.wav"), Sound("mi.wav"), Sound("fa.wav")};
    tick = Sound("tick.wav");
    warning_drum = Sound("warning_drum.wav");
    redbeam = Sound("redbeam.wav");
}

bool startUp() {
    TuneForSoftwareRenderer();
    InitSystemLayer();
    InitAudio();  // without a sound device the game plays silently
    BEAM_CHANNEL = ReserveChannel();
    REDBEAM_CHANNEL_A = ReserveChannel();
    REDBEAM_CHANNEL_B = ReserveChannel();
    SetApplicationTitle("Kelp Garden.");
    if (!OpenScreen(800, 800, 0, 60, 0)) {
        std::fprintf(stderr, "Kelp Garden: cannot open its 800 x 800 OpenGL window "
                             "(is there a display, with OpenGL?)\n");
        return false;
    }
    SetAutoCentreHandle(true);
    SetBlendMode(BLEND_ALPHA);
    MOUSE->capture();
    FRAME_TIMER = CreateTickTimer(30, nullptr);
    SetDefaultImageFlags(IMAGE_EDITABLE);
    loadPictures();
    setViewZoom(1);
    setScreenCentre(makeVector(GetScreenWidth() / 2.0f, GetScreenHeight() / 2.0f));
    loadSounds();
    WHITE = newColor(1, 1, 1);
    SetWindowIcon();
    return true;
}

}  // namespace kelp
