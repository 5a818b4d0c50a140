#pragma once
// The deinterlacing choices of the video window: off, or one of the methods of GStreamer's deinterlace
// element under a plain name. The choice for renderers made from now on is one for the whole program, as the
// video window shows one picture at a time; the window also applies it to the picture it holds.

#include <span>
#include <string>

struct DeinterlaceMethod {
    // The element's own name of the method (its "method" property's nick).
    const char* nick;
    // What the menu shows.
    const char* caption;
};

inline constexpr const char* kDeinterlaceOff = "off";
// Motion adaptive with advanced detection: sharp where the picture stands still, no combs where it moves.
inline constexpr const char* kDefaultDeinterlace = "greedyh";

// In the order the element lists them.
std::span<const DeinterlaceMethod> DeinterlaceMethods();
// "off" or a method's nick.
bool IsDeinterlaceChoice(const std::string& choice);
// The methods' names separated by ", ", for messages.
std::string DeinterlaceChoiceList();
// The caption of a choice ("Off" for off); empty for an unknown one.
std::string DeinterlaceCaption(const std::string& choice);

// The choice new video renderers start with; kDefaultDeinterlace until set. Thread-safe.
void SetDefaultDeinterlace(const std::string& choice);
std::string DefaultDeinterlace();
