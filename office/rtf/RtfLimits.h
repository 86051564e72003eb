#pragma once

// Bounds that keep a damaged or hostile RTF file from costing more than a real document:
// whatever lies past them is dropped, never an error.
namespace rtf {

constexpr int kMaxControlWordLength = 32;
constexpr long long kMaxParameter = 2147483647;       // numbers saturate here
constexpr int kMaxGroupDepth = 1000;                  // deeper groups share the deepest state
constexpr long long kMaxTextCharacters = 16'000'000;  // reading stops past it
constexpr int kMaxFragments = 200'000;                // later format changes are not shown
constexpr int kMaxParagraphs = 200'000;               // cells included; reading stops past it
constexpr int kMaxFonts = 10'000;
constexpr int kMaxColours = 10'000;
constexpr int kMaxCellsInRow = 64;  // later cells join the last one
constexpr int kMaxTableColumns = 64;
constexpr int kMaxTableRows = 5'000;     // a longer table continues as another table
constexpr int kMaxTableCells = 500'000;  // later rows become paragraphs of tab-separated cells
constexpr int kMaxPictureBytes = 64 * 1024 * 1024;
constexpr long long kMaxPicturePixels = 40'000'000;  // per picture, as decoded
constexpr long long kMaxAllPicturePixels = 200'000'000;
constexpr int kMaxPictureSide = 4096;  // larger pictures are decoded scaled down
constexpr int kMaxFieldInstruction = 4096;
constexpr int kTwipsPerPixel = 15;  // 1440 twips an inch, 96 pixels an inch

}  // namespace rtf
