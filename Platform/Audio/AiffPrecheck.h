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
// before it sees them.
//
// SDL's WAVE reader allocates every chunk it reads ("fmt ", "fact", "data") at
// the length its header claims, up to 4 GiB, before it finds out how many bytes
// are there: a few hundred bytes could make it reserve gigabytes. A RIFF WAVE
// file whose chunks up to "data" claim more than the file holds is refused.
//
// SDL_mixer 2.6's VOC reader loses its sample buffer when a block after the
// first is malformed. A board has no need of that old format: VOC files are
// refused.
//
// Files of any other kind pass: their readers free what they take.
bool formAudioIsSafeToDecode(std::string_view file);

}  // namespace platform
