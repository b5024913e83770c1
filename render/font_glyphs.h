// The built-in font's glyph designs and the 1536-byte bitmap made from them.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kelp_render {

extern const char* const GlyphDesigns[96];

// 16 rows of 96 bytes; bit k of byte j in row i is column k of row i of the
// glyph for character 32 + j.
std::array<uint8_t, 1536> BuiltInFontBitmap();

// Marks that make accented letters of the ASCII ones: two rows of five
// dots, above the letter or below it.
enum class Mark { Acute, Grave, Circumflex, Diaeresis, Tilde, Dot, Cedilla, Ogonek };
struct GlyphMark {
    bool below;
    std::array<std::string_view, 2> rows;
};
constexpr GlyphMark MarkOf(Mark mark) {
    switch (mark) {
    case Mark::Acute: return {false, {"...#.", "..#.."}};
    case Mark::Grave: return {false, {".#...", "..#.."}};
    case Mark::Circumflex: return {false, {"..#..", ".#.#."}};
    case Mark::Diaeresis: return {false, {".#.#.", "....."}};
    case Mark::Tilde: return {false, {".##.#", "#.##."}};
    case Mark::Dot: return {false, {"..#..", "....."}};
    case Mark::Cedilla: return {true, {"..#..", ".##.."}};
    case Mark::Ogonek: return {true, {"...#.", "...##"}};
    }
    return {false, {".....", "....."}};
}

struct ComposedGlyph {
    char32_t code;
    char base;
    Mark mark;
};
inline constexpr ComposedGlyph ComposedGlyphs[] = {
    {U'\u00c0', 'A', Mark::Grave},      {U'\u00c1', 'A', Mark::Acute},     {U'\u00c2', 'A', Mark::Circumflex},
    {U'\u00c3', 'A', Mark::Tilde},      {U'\u00c4', 'A', Mark::Diaeresis}, {U'\u00c7', 'C', Mark::Cedilla},
    {U'\u00c8', 'E', Mark::Grave},      {U'\u00c9', 'E', Mark::Acute},     {U'\u00ca', 'E', Mark::Circumflex},
    {U'\u00cb', 'E', Mark::Diaeresis},  {U'\u00cc', 'I', Mark::Grave},     {U'\u00cd', 'I', Mark::Acute},
    {U'\u00ce', 'I', Mark::Circumflex}, {U'\u00cf', 'I', Mark::Diaeresis}, {U'\u00d1', 'N', Mark::Tilde},
    {U'\u00d2', 'O', Mark::Grave},      {U'\u00d3', 'O', Mark::Acute},     {U'\u00d4', 'O', Mark::Circumflex},
    {U'\u00d5', 'O', Mark::Tilde},      {U'\u00d6', 'O', Mark::Diaeresis}, {U'\u00d9', 'U', Mark::Grave},
    {U'\u00da', 'U', Mark::Acute},      {U'\u00db', 'U', Mark::Circumflex}, {U'\u00dc', 'U', Mark::Diaeresis},
    {U'\u00e0', 'a', Mark::Grave},      {U'\u00e1', 'a', Mark::Acute},     {U'\u00e2', 'a', Mark::Circumflex},
    {U'\u00e3', 'a', Mark::Tilde},      {U'\u00e4', 'a', Mark::Diaeresis}, {U'\u00e7', 'c', Mark::Cedilla},
    {U'\u00e8', 'e', Mark::Grave},      {U'\u00e9', 'e', Mark::Acute},     {U'\u00ea', 'e', Mark::Circumflex},
    {U'\u00eb', 'e', Mark::Diaeresis},  {U'\u00ec', 'i', Mark::Grave},     {U'\u00ed', 'i', Mark::Acute},
    {U'\u00ee', 'i', Mark::Circumflex}, {U'\u00ef', 'i', Mark::Diaeresis}, {U'\u00f1', 'n', Mark::Tilde},
    {U'\u00f2', 'o', Mark::Grave},      {U'\u00f3', 'o', Mark::Acute},     {U'\u00f4', 'o', Mark::Circumflex},
    {U'\u00f5', 'o', Mark::Tilde},      {U'\u00f6', 'o', Mark::Diaeresis}, {U'\u00f9', 'u', Mark::Grave},
    {U'\u00fa', 'u', Mark::Acute},      {U'\u00fb', 'u', Mark::Circumflex}, {U'\u00fc', 'u', Mark::Diaeresis},
    {U'\u00ff', 'y', Mark::Diaeresis},  {U'\u0104', 'A', Mark::Ogonek},    {U'\u0105', 'a', Mark::Ogonek},
    {U'\u0106', 'C', Mark::Acute},      {U'\u0107', 'c', Mark::Acute},     {U'\u0118', 'E', Mark::Ogonek},
    {U'\u0119', 'e', Mark::Ogonek},     {U'\u0143', 'N', Mark::Acute},     {U'\u0144', 'n', Mark::Acute},
    {U'\u015a', 'S', Mark::Acute},      {U'\u015b', 's', Mark::Acute},     {U'\u0179', 'Z', Mark::Acute},
    {U'\u017a', 'z', Mark::Acute},      {U'\u017b', 'Z', Mark::Dot},       {U'\u017c', 'z', Mark::Dot},
};

// Letters of their own, designed as the ASCII ones are.
struct DesignedGlyph {
    char32_t code;
    std::string_view design;
};
inline constexpr DesignedGlyph DesignedGlyphs[] = {
    {U'\u00a1', "..#../...../..#../..#../..#../..#../..#.."},  // inverted !
    {U'\u00bf', "..#../...../..#../.#.../#..../#...#/.###."},  // inverted ?
    {U'\u00df', ".##../#..#./#..#./#.##./#...#/#...#/#.##."},  // sharp s
    {U'\u0141', "#..../#..../#.#../##.../#..../#..../#####"},  // L with stroke
    {U'\u0142', ".##../..#../..##./.##../..#../..#../.###."},  // l with stroke
    {U'\u0152', ".####/#.#../#.#../#.###/#.#../#.#../.####"},  // OE
    {U'\u0153', "...../...../.#.#./#.#.#/#.###/#.#../.#.##"},  // oe
};

// The letters beyond ASCII that the game's languages need (accented Latin
// letters, Polish letters, inverted marks), in ascending order; glyph
// 96 + i is ExtraCodePoints()[i].
const std::vector<char32_t>& ExtraCodePoints();
// The 16 rows of extra glyph `index`, bit k of a row its column k.
std::array<uint8_t, 16> ExtraGlyphRows(size_t index);

}  // namespace kelp_render
