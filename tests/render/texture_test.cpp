#include "screen_fixture.h"

#include <SDL_opengl.h>

namespace {

PixmapRef Gradient(int width, int height) {
    PixmapRef map = CreatePixelMap(width, height, FMT_RGB24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) map->WritePixelArgb(x, y, 0xFF000000u | (x % 256) << 8 | (y % 256));
    return map;
}

// Level 0 of the frame's texture, read back from OpenGL.
PixmapRef TexturePixels(const GLImageFrame& frame) {
    PixmapRef texels = CreatePixelMap(frame.textureWidth, frame.textureHeight, FMT_RGBA32, 4);
    glBindTexture(GL_TEXTURE_2D, frame.texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels->pixels);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texels;
}

}  // namespace

TEST_F(Screen, PicturesArePaddedToPowersOfTwoWithTheirEdgesRepeated) {
    FrameRef frame = UploadFrame(*Gradient(300, 300), 0);
    auto& gl = static_cast<GLImageFrame&>(*frame);
    EXPECT_EQ(gl.textureWidth, 512);
    EXPECT_EQ(gl.textureHeight, 512);
    EXPECT_FLOAT_EQ(gl.uMax, 0.5859375f);
    EXPECT_FLOAT_EQ(gl.vMax, 0.5859375f);
    PixmapRef texels = TexturePixels(gl);
    EXPECT_EQ(texels->ReadPixelArgb(300, 17), texels->ReadPixelArgb(299, 17));
    EXPECT_EQ(texels->ReadPixelArgb(40, 300), texels->ReadPixelArgb(40, 299));
    EXPECT_EQ(texels->ReadPixelArgb(300, 300), texels->ReadPixelArgb(299, 299));
    EXPECT_EQ(texels->ReadPixelArgb(123, 45), 0xFF007B2Du);
}

TEST_F(Screen, PowerOfTwoPicturesFillTheirTexture) {
    FrameRef frame = UploadFrame(*Gradient(256, 256), IMAGE_MIPMAPPED | IMAGE_FILTERED);
    auto& gl = static_cast<GLImageFrame&>(*frame);
    EXPECT_EQ(gl.textureWidth, 256);
    EXPECT_FLOAT_EQ(gl.uMax, 1.0f);
    EXPECT_FLOAT_EQ(gl.vMax, 1.0f);
    EXPECT_EQ(gl.sequence, GraphicsSequence());
}

TEST_F(Screen, RefusedSizesHalveBothSidesTogether) {
    SetTextureSizeCheck([](int32_t w, int32_t h) { return w <= 2048 && h <= 512; });
    FrameRef frame = UploadFrame(*Gradient(3000, 1000), 0);
    auto& gl = static_cast<GLImageFrame&>(*frame);
    EXPECT_EQ(gl.textureWidth, 2048);
    EXPECT_EQ(gl.textureHeight, 512);
    EXPECT_FLOAT_EQ(gl.uMax, 1.0f);
    EXPECT_FLOAT_EQ(gl.vMax, 1.0f);

    SetTextureSizeCheck([](int32_t, int32_t) { return false; });
    try {
        UploadFrame(*Gradient(4, 4), 0);
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_STREQ(error.what(), "Unable to calculate tex size");
    }
    SetTextureSizeCheck(nullptr);
    // The failed upload left the screen's context current.
    SetDrawColor(255, 255, 255);
    FillRectangle(0, 0, 2, 2);
    EXPECT_EQ(Pixel(0, 0), 0xFFFFFFFFu);
}

TEST_F(Screen, SpritesOfOneFrameBindItsTextureOnce) {
    ImageRef image = TImage::LoadFrom(Gradient(16, 16), 0, 0, 0, 0);
    DrawImageAt(image, 0, 0);
    int64_t before = TextureBindCount();
    DrawImageAt(image, 50, 0);
    DrawImageAt(image, 100, 0);
    EXPECT_EQ(TextureBindCount(), before);
    ImageRef other = TImage::LoadFrom(Gradient(8, 8), 0, 0, 0, 0);
    DrawImageAt(other, 0, 50);
    DrawImageAt(image, 0, 100);
    EXPECT_EQ(TextureBindCount(), before + 2);
}

TEST_F(Screen, DrawnTexturesShowThePicture) {
    PixmapRef picture = Gradient(20, 10);
    ImageRef image = TImage::LoadFrom(picture, 0, 0, 0, 0);
    DrawImageAt(image, 100, 200);
    for (int x : {0, 7, 19})
        for (int y : {0, 9}) EXPECT_EQ(Pixel(100 + x, 200 + y), picture->ReadPixelArgb(x, y));
    EXPECT_EQ(LitBox(90, 190, 40, 30), (Box{100, 200, 119, 209}));
}

TEST_F(Screen, BlitAndReadBackAreInverse) {
    PixmapRef picture = Gradient(30, 20);
    BlitPixmap(*picture, 40, 60);
    PixmapRef back = ReadScreenPixels(40, 60, 30, 20);
    for (int y = 0; y < 20; y += 3)
        for (int x = 0; x < 30; x += 4) EXPECT_EQ(back->ReadPixelArgb(x, y), picture->ReadPixelArgb(x, y));
}
