#pragma once

#include <string_view>

namespace platform {

// Whether SDL_mixer may be handed these file bytes without leaking.
//
// SDL_mixer 2.6's reader of IFF "FORM" files (AIFF, 8SVX) allocates the whole
// sample buffer from the frame count in the header and then, when the file
// holds fewer bytes than that, fails without freeing the buffer or closing its
// input: a truncated or lying header costs up to 4 GiB that is never returned.
// This check walks the chunks the way that reader does and refuses such files
// before it sees them. Files of any other kind pass: their readers free what
// they take.
bool formAudioIsSafeToDecode(std::string_view file);

}  // namespace platform
