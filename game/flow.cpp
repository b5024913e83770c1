// The level loop: story cards, fixed-step frames with the camera, the veils
// that leave trails, the fades, and the keys.
#include "game/game.h"

namespace kelp {

namespace {



}  // namespace

namespace {

constexpr int VeilRed = 20, VeilGreen = 50, VeilBlue = 50;

}  // namespace

void drawVeil(float alpha) {
    resetDrawState();
    SetDrawColor(VeilRed, VeilGreen, VeilBlue);
    SetDrawAlpha(alpha);
    FillRectangle(0, 0, float(GetScreenWidth()), float(GetScreenHeight()));
}

// The tick paces the game; presenting never waits again. The frame is drawn
// out before the wait, so it is shown as soon as the tick comes.
int waitFrame() {
    FinishDrawing();
    int ticks = WaitTickTimer(FRAME_TIMER);
    PresentFrame(0);
    fullScreenKeys();
    return ticks;
}

void fullScreenKeys() {
    // Enter alone is left for the menus.
    bool altEnter = (CurrentModifierBits() & ModAlt) && TakeKeyHits(13);
    if (TakeKeyHits(122) || altEnter) ToggleFullScreen();
}

// A card is a large picture seen once in a while: only the one on screen is
// kept, read from the game's files when it is first drawn.
void drawCard(int n, float alpha) {
    static int loaded = 0;
    if (n != loaded || !LEVEL_CARDS[n]) {
        LEVEL_CARDS[loaded] = nullptr;
        LEVEL_CARDS[n] = LoadImageFromUrl("incbin::gfx\\level" + std::to_string(n) + ".jpg", -1);
        loaded = n;
    }
    resetDrawState();
    SetClearColor(0, 0, 0);
    ClearScreen();
    SetDrawAlpha(alpha);
    DrawImageAt(LEVEL_CARDS[n], float(GetScreenWidth() / 2), float(GetScreenHeight() / 2), 0);
}

float cardAlpha(int frame) {
    if (frame <= 30) return frame / 30.0f;
    if (frame <= 61) return 1;
    return 1 - (frame - 62) / 30.0f;
}

void updateCamera() {
    tvector head = FISH->head->position, second = PLAYER->second->position;
    float z = 150 / distance(head, second);
    if (!(z >= 0.85f)) z = 0.85f;
    if (!(z <= 2)) z = 2;
    tvector target = divide(add(scale(second, 4), head), 5);
    CAMERA_POSITION = add(scale(CAMERA_POSITION, 0.95f), scale(target, 0.05f));
    CAMERA_ZOOM = CAMERA_ZOOM * 0.98f + z * 0.02f;
    setViewCentre(CAMERA_POSITION);
    setViewZoom(CAMERA_ZOOM);
}

void skipToLevel(int k) {
    CURRENT_LEVEL = k;
    LEVEL_ENDING = true;
    LEVEL_SKIP = true;
    LEVEL_WON = true;
}

void levelKeys() {
    for (int k = 1; k <= 6; ++k)
        if (TakeKeyHits('0' + k)) skipToLevel(k);
}

float fadeInAlpha(float elapsed) { return elapsed < 0.5f ? 1 - 2 * elapsed : -1; }

void countDownEnding(float& countdown) {
    if (LEVEL_ENDING) countdown -= TIME_STEP;
}

float fadeOutAlpha(float countdown) { return countdown < 1 ? 1 - countdown : -1; }

void resetLevel() {
    buildLevel(CURRENT_LEVEL);
    LEVEL_CLOCK->start();
    CAMERA_POSITION = {0, 0};
    CAMERA_ZOOM = 0.5f;
}

LevelScene startLevel() {
    resetLevel();
    LevelScene scene;
    scene.background = newEmitter(1000, 1000, 2, 5);
    scene.lights = CreateLayer(GetScreenWidth() / LightLayerDivisor, GetScreenHeight() / LightLayerDivisor);
    MOUSE->recentre();
    return scene;
}

void advanceLevel(LevelScene& scene, const StepInput& input) {
    updateCamera();
    stepWorld(TIME_STEP, input);
    if (LEVEL_WON && !LEVEL_SKIP && scene.finishedAt < 0) scene.finishedAt = LEVEL_CLOCK->elapsed;
    countDownEnding(scene.countdown);
}

bool levelOver(const LevelScene& scene) { return scene.countdown < 0 || LEVEL_SKIP; }

// The pointer's movement over the frame is shared out evenly, so the swimmer
// keeps its speed however many steps the frame takes.
void stepLevel(LevelScene& scene, int steps, const StepInput& frameInput, const StepObserver& observer) {
    StepInput input{divide(frameInput.pointer, float(std::max(steps, 1))), frameInput.calm};
    for (int i = 0; i < steps && !levelOver(scene); ++i) {
        advanceLevel(scene, input);
        playWorldSounds();
        if (observer) observer(input);
    }
}

// A veil of alpha a, the background lights, then a veil of alpha b: cheaply,
// in one pass over the screen. The screen keeps (1 - a)(1 - b) of itself, the
// lights show at 1 - b and the veils' colour at 1 - (1 - a)(1 - b); the last
// frame's bolt glows join them. The lights are dimmed once they are summed, as
// the second veil dims them: dimming each one first would lose the faint ones.
void drawBackdrop(LevelScene& scene) {
    constexpr float first = 0.4f, second = 0.3f;
    if (fullCostLights()) {
        drawVeil(first);
        scene.background->updateAndDraw();
        drawVeil(second);
        return;
    }
    constexpr float kept = (1 - first) * (1 - second);
    BeginLayer(scene.lights, 0, 0, 0, 1 - kept);
    scene.background->updateAndDraw();
    int dim = TruncToInt((1 - second) * 255 + 0.5f);
    SetBlendMode(BLEND_MULTIPLY);
    SetDrawColor(dim, dim, dim);
    FillRectangle(0, 0, float(GetScreenWidth()), float(GetScreenHeight()));
    SetBlendMode(BLEND_ADD);
    SetDrawColor(VeilRed, VeilGreen, VeilBlue);
    SetDrawAlpha(1 - kept);
    FillRectangle(0, 0, float(GetScreenWidth()), float(GetScreenHeight()));
    drawGlows();
    EndLayer();
    DrawLayer(scene.lights);
}

void drawFades(const LevelScene& scene) {
    SetDrawAlpha(1);
    SetDrawColor(255, 255, 255);
    float fadeIn = fadeInAlpha(LEVEL_CLOCK->elapsed);
    if (fadeIn >= 0) drawVeil(fadeIn);
    float fadeOut = fadeOutAlpha(scene.countdown);
    if (fadeOut >= 0) drawVeil(fadeOut);
}

void drawLevel(LevelScene& scene) {
    drawBackdrop(scene);
    FinishDrawingPart();
    SetDrawColor(255, 255, 255);
    drawWorld();
    drawHud();
    drawFades(scene);
}

LevelAction quitOnEscape(LevelScene&) {
    bool quit = TakeKeyHits(27) != 0;
    quit |= TakeTerminateRequest() != 0;
    return quit ? LevelAction::Quit : LevelAction::Play;
}

LevelOutcome playLevel(const GameHooks& hooks) {
    hooks.levelStarting(CURRENT_LEVEL);
    LevelScene scene = startLevel();
    int steps = 1;
    while (!levelOver(scene)) {
        if (hooks.pilot) {
            MOUSE->takeOffset();  // the player's movement is not heard meanwhile
            for (int i = 0; i < steps && !levelOver(scene); ++i) stepLevel(scene, 1, hooks.pilot(), hooks.stepTaken);
        } else {
            stepLevel(scene, steps, {MOUSE->takeOffset(), IsMouseButtonDown(1) != 0}, hooks.stepTaken);
        }
        drawLevel(scene);
        steps = std::clamp(hooks.nextFrame(), 1, MaxStepsPerFrame);
        levelKeys();
        switch (hooks.betweenFrames(scene)) {
        case LevelAction::Play: break;
        case LevelAction::Restart:
            hooks.levelStarting(CURRENT_LEVEL);
            scene = startLevel(), steps = 1;
            break;
        case LevelAction::ToTitle: return {LevelEnd::ToTitle};
        case LevelAction::Quit: return {LevelEnd::Quit};
        }
    }
    return {LevelEnd::Over, scene.finishedAt};
}

GameEnd runGame(const GameHooks& hooks) {
    for (;;) {
        if (!hooks.card(CURRENT_LEVEL)) return GameEnd::Quit;
        LevelOutcome outcome = playLevel(hooks);
        if (outcome.end == LevelEnd::Quit) return GameEnd::Quit;
        if (outcome.end == LevelEnd::ToTitle) return GameEnd::ToTitle;
        hooks.levelOver(CURRENT_LEVEL, outcome);
        if (LEVEL_WON) CURRENT_LEVEL += 1;
        LEVEL_SKIP = false;
        if (!LEVEL_WON || CURRENT_LEVEL == 7) {
            bool won = LEVEL_WON;
            hooks.card(won ? 7 : 8);
            return won ? GameEnd::Won : GameEnd::Lost;
        }
    }
}

}  // namespace kelp
