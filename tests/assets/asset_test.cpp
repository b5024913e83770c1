// The embedded pictures and sounds: sizes, formats, frames and levels.
#include "assets/assets.h"
#include "audio/audio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

struct PictureSpec {
    const char* name;
    int width, height, cellWidth, cellHeight, frames;
};

const PictureSpec Pictures[] = {
    {"fish_head.png", 1800, 300, 300, 300, 6}, {"fish_tail.png", 150, 150, 150, 150, 1},
    {"me_head.png", 1050, 150, 150, 150, 7},   {"helmet.png", 150, 150, 150, 150, 1},
    {"me_body.png", 2550, 150, 150, 150, 17},  {"me_legs.png", 1200, 100, 100, 100, 12},
    {"light.png", 269, 260, 269, 260, 1},      {"big_light.png", 500, 250, 500, 250, 1},
    {"ball.png", 250, 50, 50, 50, 5},          {"lightning.png", 500, 50, 50, 50, 10},
    {"neon.png", 500, 50, 50, 50, 10},         {"eye.png", 200, 150, 200, 150, 1},
    {"eye_bg.png", 180, 180, 180, 180, 1},     {"clock.png", 100, 100, 100, 100, 1},
    {"clock_cursor.png", 100, 100, 100, 100, 1}, {"little_cursor.png", 100, 100, 100, 100, 1},
    {"goal.png", 200, 200, 200, 200, 1},
    {"labels.png", 420, 1800, 420, 60, 30},    {"title.png", 640, 150, 640, 150, 1},
};

struct SoundSpec {
    const char* name;
    int hertz, format;
    double seconds;
};

const SoundSpec Sounds[] = {
    {"beam_bound.wav", 11025, SF_MONO16LE, 0.34}, {"beam_touch.wav", 11025, SF_MONO8, 1.02},
    {"do.wav", 22050, SF_MONO16LE, 0.18},         {"re.wav", 22050, SF_MONO16LE, 0.14},
    {"mi.wav", 22050, SF_MONO16LE, 0.18},         {"fa.wav", 22050, SF_MONO16LE, 0.28},
    {"tick.wav", 11025, SF_MONO16LE, 0.22},       {"warning_drum.wav", 22050, SF_MONO16LE, 3.28},
    {"redbeam.wav", 22050, SF_MONO16LE, 0.50},
};

class Assets : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterGamePictures();
        RegisterGameSounds();
    }
};

std::string Url(const std::string& name) { return "incbin::" + name; }

std::vector<uint32_t> Cell(const TPixmap& map, int x0, int y0, int w, int h) {
    std::vector<uint32_t> pixels;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) pixels.push_back(map.ReadPixelArgb(x, y));
    return pixels;
}

std::vector<float> Values(const PcmSample& sample) {
    std::vector<float> values(sample.length);
    for (int i = 0; i < sample.length; ++i)
        values[i] = sample.format == SF_MONO8 ? (sample.samples[i] - 128) / 128.0f
                                              : reinterpret_cast<int16_t*>(sample.samples)[i] / 32768.0f;
    return values;
}

}  // namespace

TEST_F(Assets, EveryPictureHasItsSizeAndVisibleDistinctCells) {
    for (const auto& spec : Pictures) {
        SCOPED_TRACE(spec.name);
        PixmapRef map = LoadPixelMap(Url(std::string("gfx\\") + spec.name));
        ASSERT_NE(map, nullptr);
        EXPECT_EQ(map->format, FMT_RGBA32);
        EXPECT_EQ(map->width, spec.width);
        EXPECT_EQ(map->height, spec.height);
        std::vector<std::vector<uint32_t>> cells;
        for (int cell = 0; cell < spec.frames; ++cell) {
            int across = spec.width / spec.cellWidth;
            auto pixels = Cell(*map, cell % across * spec.cellWidth, cell / across * spec.cellHeight,
                               spec.cellWidth, spec.cellHeight);
            EXPECT_GT(std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) { return p >> 24 > 128; }), 20)
                << "cell " << cell << " is blank";
            for (size_t e = 0; e < cells.size(); ++e)
                EXPECT_TRUE(pixels != cells[e]) << "cell " << cell << " repeats cell " << e;
            cells.push_back(pixels);
        }
    }
}

TEST_F(Assets, TheStoryCardsAreColourJpegs) {
    for (int card = 1; card <= 8; ++card) {
        std::string name = "gfx\\level" + std::to_string(card) + ".jpg";
        StreamRef stream = OpenForReading(Url(name));
        ASSERT_NE(stream, nullptr) << name;
        EXPECT_EQ(stream->ReadByte(), 0xFF);
        EXPECT_EQ(stream->ReadByte(), 0xD8);
        stream->SeekTo(0);
        PixmapRef map = LoadJpegPixelMap(*stream);
        ASSERT_NE(map, nullptr) << name;
        EXPECT_EQ(map->format, FMT_RGB24);
        EXPECT_EQ(map->width, 612);
        EXPECT_EQ(map->height, 470);
        int bright = 0;
        for (int y = 0; y < 470; y += 2)
            for (int x = 0; x < 612; x += 2) bright += (map->ReadPixelArgb(x, y) & 0xFF) > 200;
        EXPECT_GT(bright, 500) << name << " has no writing";
    }
}

TEST_F(Assets, EverySoundHasItsFormatLengthAndLevel) {
    for (const auto& spec : Sounds) {
        SCOPED_TRACE(spec.name);
        SampleRef sample = LoadPcmSample(Url(std::string("snd\\") + spec.name));
        ASSERT_NE(sample, nullptr);
        EXPECT_EQ(sample->hertz, spec.hertz);
        EXPECT_EQ(sample->format, spec.format);
        EXPECT_NEAR(double(sample->length) / sample->hertz, spec.seconds, spec.seconds * 0.05);
        std::vector<float> values = Values(*sample);
        float peak = 0;
        for (float v : values) peak = std::max(peak, std::fabs(v));
        double peakDb = 20 * std::log10(peak);
        EXPECT_GT(peakDb, -30.0) << "clearly audible";
        EXPECT_LT(peakDb, -10.0) << "within the loudness budget";
        if (std::string(spec.name) == "redbeam.wav") {
            // A seamless loop: the end leads into the start like any two neighbours.
            float jump = std::fabs(values.front() - values.back());
            float largestStep = 0;
            for (size_t i = 1; i < values.size(); ++i)
                largestStep = std::max(largestStep, std::fabs(values[i] - values[i - 1]));
            EXPECT_LE(jump, largestStep);
        } else {
            EXPECT_LT(std::fabs(values.front()), 0.02f);
            EXPECT_LT(std::fabs(values.back()), 0.02f);
        }
    }
}

// Seeded, the generator gives the same bytes every run: exactly the assets
// kept in the tree, every one of them.
TEST(AssetGenerator, DrawsExactlyTheAssetsKeptInTheTree) {
    namespace fs = std::filesystem;
    fs::path drawn = fs::temp_directory_path() / ("kelp_assetgen_" + std::to_string(::getpid()));
    std::string command = std::string(ASSETGEN_PATH) + " " + drawn.string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    auto bytesOf = [](const fs::path& path) {
        std::ifstream file(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(file)), {});
    };
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(drawn)) {
        if (!entry.is_regular_file()) continue;
        fs::path kept = fs::path(ASSETS_DIR) / fs::relative(entry.path(), drawn);
        std::string bytesDrawn = bytesOf(entry.path());
        EXPECT_FALSE(bytesDrawn.empty()) << entry.path();
        EXPECT_TRUE(bytesDrawn == bytesOf(kept)) << kept << " is not what the generator draws: run scripts/make-assets";
        ++files;
    }
    EXPECT_EQ(files, 19 + 8 + 9 + 8 + 6 * 9) << "and each language's cards and menu words";
    fs::remove_all(drawn);
}

// Every size of the icon, and the one the window shows.
TEST(Icons, EverySizeIsThereOnAClearGround) {
    PixmapRef largest = LoadPixelMap(std::string(ICONS_DIR) + "/512.png");
    ASSERT_NE(largest, nullptr);
    for (int size : {16, 24, 32, 48, 64, 128, 256, 512}) {
        SCOPED_TRACE(size);
        PixmapRef icon = LoadPixelMap(std::string(ICONS_DIR) + "/" + std::to_string(size) + ".png");
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(icon->width, size);
        EXPECT_EQ(icon->height, size);
        int opaque = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) opaque += icon->ReadPixelArgb(x, y) >> 24 == 255;
        EXPECT_GT(opaque, size * size / 5) << "a solid picture, not a speck";
        EXPECT_LT(opaque, size * size) << "on a clear ground";
    }
    RegisterGamePictures();
    PixmapRef window = LoadPixelMap("incbin::icons\\64.png");
    ASSERT_NE(window, nullptr) << "the window's icon is embedded";
    EXPECT_EQ(window->width, 64);
}
