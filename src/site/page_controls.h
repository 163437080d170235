#pragma once
// The rules behind the commands that act on the page of the active site:
// the parent address of Up One Level, the encodings, the text sizes, the
// zoom scripts and the document an editor is started on.
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// The folder above `address` ("http://h/a/b.html" -> "http://h/a",
// "C:\dir" -> "C:\"); nullopt for a host's top, a drive's root or text
// without a separator.
std::optional<std::string> ParentAddress(std::string_view address);

// The Encoding commands' ids run from this one, one a charset.
inline constexpr unsigned kEncodingCommandFirst = 36001;
// The charset name of an Encoding command; "" for any other id of the range.
std::string EncodingCharset(unsigned commandId);

// Text sizes 0 (smallest) to 4 (largest), 2 being normal.
inline constexpr int kTextSizeMedium = 2;
// The page zoom factor a text size stands for.
double TextSizeZoom(int size);

enum class ZoomStep { In, Out, Actual };
// The script each Zoom command runs in the page; the zoom lives in the page
// alone, so a new page starts unzoomed.
const char* ZoomScript(ZoomStep step);

// The document an editor is started on for the page at `url`: the local
// file for a file: address (its path, with every escape decoded), the
// address itself otherwise.
std::string EditPageDocument(std::string_view url);

}  // namespace kestrel
