#include "screen_fixture.h"

#include <filesystem>

#include <unistd.h>

namespace {

// A picture written to a temporary PNG file, loaded back through its path.
class PictureFile {
public:
    explicit PictureFile(const TPixmap& picture)
        : path(std::filesystem::temp_directory_path() /
               // Each case runs in a process of its own, beside others: the pid keeps their files apart.
               ("kelp_image_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++) + ".png")) {
        EXPECT_TRUE(SavePixelMapPng(picture, path.string(), 1));
    }
    ~PictureFile() { std::filesystem::remove(path); }
    std::string Url() const { return path.string(); }

private:
    static inline int counter = 0;
    std::filesystem::path path;
};

// Each 300 x 300 cell of a strip has its own colour.
PixmapRef Cells(int width, int height) {
    PixmapRef map = CreatePixelMap(width, height, FMT_RGB24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) map->WritePixelArgb(x, y, 0xFF000000u | (x / 300 + 3 * (y / 300)) * 40);
    return map;
}

}  // namespace

TEST_F(Screen, StripsAreCutRowByRowIntoWholeCells) {
    PictureFile whole(*Cells(900, 600));
    ImageRef strip = LoadImageStrip(whole.Url(), 300, 300, 0, 6, 0);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->frames.size(), 6u);
    EXPECT_EQ(ImageWidthOf(strip), 300);
    EXPECT_EQ(strip->pixmaps[4]->ReadPixelArgb(10, 10) & 0xFF, 4u * 40);
    EXPECT_EQ(strip->pixmaps[2]->ReadPixelArgb(299, 299) & 0xFF, 2u * 40);
    ImageRef tail = LoadImageStrip(whole.Url(), 300, 300, 4, 2, 0);
    ASSERT_NE(tail, nullptr);
    EXPECT_EQ(tail->pixmaps[1]->ReadPixelArgb(0, 0) & 0xFF, 5u * 40);

    PictureFile shortOne(*Cells(900, 599));
    EXPECT_EQ(LoadImageStrip(shortOne.Url(), 300, 300, 0, 6, 0), nullptr);
    EXPECT_EQ(LoadImageStrip("incbin::missing.png", 300, 300, 0, 1, 0), nullptr);
}

TEST_F(Screen, AutoCentredImagesDrawAroundTheirPosition) {
    SetAutoCentreHandle(true);
    PixmapRef picture = CreatePixelMap(75, 40, FMT_RGBA32);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 75; ++x) picture->WritePixelArgb(x, y, 0xFFFFFFFF);
    PictureFile file(*picture);
    ImageRef image = LoadImageFromUrl(file.Url(), 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->handleX, 37.5f);
    EXPECT_EQ(image->handleY, 20.0f);
    DrawImageAt(image, 100, 100);
    Box box = LitBox(0, 0, 200, 200);
    EXPECT_NEAR((box.left + box.right) / 2.0, 100, 1);
    EXPECT_NEAR((box.top + box.bottom) / 2.0, 100, 1);
    EXPECT_EQ(box.right - box.left + 1, 75);
}

TEST_F(Screen, DefaultFlagsApplyWhenAskedForMinusOne) {
    PictureFile file(*Cells(4, 4));
    SetDefaultImageFlags(8);
    EXPECT_EQ(LoadImageFromUrl(file.Url(), -1)->flags, 8);
    SetDefaultImageFlags(-1);
    EXPECT_EQ(LoadImageFromUrl(file.Url(), -1)->flags, 8);
    EXPECT_EQ(LoadImageFromUrl(file.Url(), 2)->flags, 2);
    EXPECT_EQ(CreateBlankImage(4, 4, 2, 1)->flags, 9);
}

TEST_F(Screen, MaskedPicturesWithoutAlphaGetTransparentMaskPixels) {
    PixmapRef rgb = CreatePixelMap(3, 1, FMT_RGB24);
    rgb->WritePixelArgb(0, 0, 0xFFFF0000);
    rgb->WritePixelArgb(1, 0, 0xFF000000);
    rgb->WritePixelArgb(2, 0, 0xFF0000FF);
    PictureFile file(*rgb);
    ImageRef masked = LoadImageFromUrl(file.Url(), IMAGE_MASKED);
    EXPECT_EQ(masked->pixmaps[0]->ReadPixelArgb(1, 0) >> 24, 0u);
    EXPECT_EQ(masked->pixmaps[0]->ReadPixelArgb(0, 0) >> 24, 255u);

    PixmapRef rgba = rgb->ConvertedTo(FMT_RGBA32);
    PictureFile withAlpha(*rgba);
    ImageRef kept = LoadImageFromUrl(withAlpha.Url(), IMAGE_MASKED);
    EXPECT_EQ(kept->pixmaps[0]->ReadPixelArgb(1, 0), 0xFF000000u);
}

TEST_F(Screen, ReopeningTheScreenReuploadsOnTheNextDraw) {
    ImageRef image = TImage::LoadFrom(Cells(8, 8), 0, 0, 0, 0);
    EXPECT_EQ(image->frames[0], nullptr);  // nothing uploaded before the first draw
    DrawImageAt(image, 0, 0);
    FrameRef first = image->frames[0];
    ASSERT_NE(first, nullptr);
    DrawImageAt(image, 0, 0);
    EXPECT_EQ(image->frames[0], first);
    screen = OpenScreen(200, 200, 0, 60, 0);
    ASSERT_NE(screen, nullptr);
    DrawImageAt(image, 0, 0);
    EXPECT_NE(image->frames[0], first);
    EXPECT_EQ(image->frameSequence[0], GraphicsSequence());
    AccessImagePixels(image, 0, true, true);
    EXPECT_EQ(image->frames[0], nullptr);
}

TEST_F(Screen, RegionsStretchAndTilesFillTheViewport) {
    PixmapRef white = CreatePixelMap(4, 4, FMT_RGB24);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) white->WritePixelArgb(x, y, 0xFFFFFFFF);
    ImageRef image = TImage::LoadFrom(white, 0, 0, 0, 0);
    DrawImageRegion(image, 10, 10, 40, 20);
    EXPECT_EQ(LitBox(), (Box{10, 10, 49, 29}));
    ClearScreen();
    SetViewportRect(100, 100, 30, 30);
    SetDrawRotation(30);
    TileImageAt(image, 1, 1);
    EXPECT_EQ(GetDrawRotation(), 30.0f);
    SetViewportRect(0, 0, 800, 800);
    EXPECT_EQ(LitBox(), (Box{100, 100, 129, 129}));
}

// A picture from a file lets its pixel maps go once on the graphics card and
// reads the same pixels again when asked; a drawn-on or changed one keeps its.
TEST_F(Screen, LoadedPicturesKeepNoPixelsOnceUploadedYetGiveThemAgain) {
    PictureFile whole(*Cells(900, 600));
    ImageRef strip = LoadImageStrip(whole.Url(), 300, 300, 1, 4, 0);
    ASSERT_NE(strip, nullptr);
    std::weak_ptr<TPixmap> uploaded = strip->pixmaps[2];
    ASSERT_NE(strip->DriverFrame(2), nullptr);
    EXPECT_TRUE(uploaded.expired()) << "nothing holds the cell once it is a texture";
    EXPECT_NE(strip->pixmaps[0], nullptr) << "a cell not yet drawn is kept";
    PixmapRef again = strip->PixelsFor(2, true, false);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->ReadPixelArgb(10, 10) & 0xFF, 3u * 40) << "its own cell, read again";
    EXPECT_EQ(again->width, 300);

    ImageRef picture = LoadImageFromUrl(whole.Url(), 0);
    ASSERT_NE(picture, nullptr);
    PixmapRef written = picture->PixelsFor(0, true, true);
    written->WritePixelArgb(0, 0, 0xFF123456u);
    picture->DriverFrame(0);
    EXPECT_EQ(picture->pixmaps[0], written) << "changed pixels are the image's own";
    EXPECT_EQ(picture->PixelsFor(0, true, false)->ReadPixelArgb(0, 0), 0xFF123456u);
}
