// A level in play: its steps with the camera and the end's countdown, the
// veils that leave trails, the fades; and the story cards between levels.
#include "game/game.h"

namespace kelp {

namespace {

constexpr int VeilRed = 20, VeilGreen = 50, VeilBlue = 50;

}  // namespace

void drawVeil(float alpha) {
    resetDrawState();
    SetDrawColor(VeilRed, VeilGreen, VeilBlue);
    SetDrawAlpha(alpha);
    FillRectangle(0, 0, float(GetScreenWidth()), float(GetScreenHeight()));
}

namespace {

std::string cardLanguage = "en";
// The card held, and the language it was read in: a new language reads it again.
int loadedCard = 0;
std::string loadedLanguage;

// A card in the card language's folder, or the English one.
std::string CardFile(int n) {
    std::string name = "level" + std::to_string(n) + ".jpg";
    std::string translated = "gfx\\" + cardLanguage + "\\" + name;
    return EmbeddedFileData(translated) ? translated : "gfx\\" + name;
}

}  // namespace

// Set again for the same language, the card is read again: its picture came late.
void setCardLanguage(const std::string& code) {
    cardLanguage = code;
    loadedLanguage.clear();
}

// A card is a large picture seen once in a while: only the one on screen is
// kept, read from the game's files when it is first drawn.
void drawCard(int n, float alpha) {
    if (n != loadedCard || !LEVEL_CARDS[n] || cardLanguage != loadedLanguage) {
        LEVEL_CARDS[loadedCard] = nullptr;
        LEVEL_CARDS[n] = LoadImageFromUrl("incbin::" + CardFile(n), -1);
        loadedCard = n;
        loadedLanguage = cardLanguage;
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

float fadeInAlpha(float elapsed) { return elapsed < 0.5f ? 1 - 2 * elapsed : -1; }

float fadeOutAlpha(float countdown) { return countdown < 1 ? 1 - countdown : -1; }

bool Assists::valid() const {
    return speedPercent >= SlowestPercent && speedPercent <= 100 && speedPercent % SpeedStep == 0 &&
           moreTimePercent >= 0 && moreTimePercent <= MostTimePercent && moreTimePercent % TimeStep == 0;
}

Level::Level(int number, uint32_t seed, Assists assists) : levelNumber(number), levelSeed(seed), helped(assists) {
    SetRandomSeed(int32_t(seed));
    CURRENT_LEVEL = number;
    LEVEL_SKIP = false;
    buildLevel(number);
    if (helped.moreTimePercent) GOAL->deadline += GOAL->deadline * float(helped.moreTimePercent) / 100;
    STEP_TIME = helped.stepTime();
    LEVEL_CLOCK->start();
    CAMERA_POSITION = {0, 0};
    CAMERA_ZOOM = 0.5f;
    background = newEmitter(1000, 1000, 2, 5);
}

void Level::step(const StepInput& input) {
    updateCamera();
    stepWorld(helped.stepTime(), input);
    if (LEVEL_WON && !LEVEL_SKIP && finishedClock < 0) finishedClock = LEVEL_CLOCK->elapsed;
    // The end's fade takes its frames whatever the game's speed.
    if (LEVEL_ENDING) countdown -= TIME_STEP;
}

// The pointer's movement over the frame is shared out evenly, so the swimmer
// keeps its speed however many steps the frame takes.
void Level::stepFrame(int steps, const StepInput& frameInput, const StepObserver& observer) {
    StepInput input{divide(frameInput.pointer, float(std::max(steps, 1))), frameInput.calm};
    for (int i = 0; i < steps && !over(); ++i) {
        step(input);
        if (observer) observer(input);
    }
}

void Level::skipTo(int after) {
    CURRENT_LEVEL = after;
    LEVEL_ENDING = true;
    LEVEL_SKIP = true;
    LEVEL_WON = true;
}

// A veil of alpha a, the background lights, then a veil of alpha b: cheaply,
// in one pass over the screen. The screen keeps (1 - a)(1 - b) of itself, the
// lights show at 1 - b and the veils' colour at 1 - (1 - a)(1 - b); the last
// frame's bolt glows join them. The lights are dimmed once they are summed, as
// the second veil dims them: dimming each one first would lose the faint ones.
void Level::drawBackdrop() {
    constexpr float first = 0.4f, second = 0.3f;
    if (fullCostLights()) {
        drawVeil(first);
        background->updateAndDraw();
        drawVeil(second);
        return;
    }
    constexpr float kept = (1 - first) * (1 - second);
    if (!lights) lights = CreateLayer(GetScreenWidth() / LightLayerDivisor, GetScreenHeight() / LightLayerDivisor);
    BeginLayer(lights, 0, 0, 0, 1 - kept);
    background->updateAndDraw();
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
    DrawLayer(lights);
}

void Level::drawFades() const {
    SetDrawAlpha(1);
    SetDrawColor(255, 255, 255);
    float fadeIn = fadeInAlpha(LEVEL_CLOCK->elapsed);
    if (fadeIn >= 0) drawVeil(fadeIn);
    float fadeOut = fadeOutAlpha(countdown);
    if (fadeOut >= 0) drawVeil(fadeOut);
}

void Level::drawScene() {
    drawBackdrop();
    FinishDrawingPart();
    SetDrawColor(255, 255, 255);
    drawWorld();
}

void Level::draw() {
    drawScene();
    drawHud();
    drawFades();
}

}  // namespace kelp
