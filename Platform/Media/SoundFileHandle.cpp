#include "SoundFileHandle.h"

#include <sndfile.h>

namespace media {

void SoundFileHandle::Closer::operator()(sf_private_tag* file) const {
    sf_close(file);
}

SoundFileHandle SoundFileHandle::openForReading(const std::filesystem::path& path, SF_INFO& info,
                                                std::string& error) {
    info = SF_INFO{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) error = sf_strerror(nullptr);
    return SoundFileHandle(file);
}

SoundFileHandle SoundFileHandle::openForWriting(int fd, SF_INFO& info, std::string& error) {
    SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
    if (file == nullptr) error = sf_strerror(nullptr);
    return SoundFileHandle(file);
}

bool SoundFileHandle::close() {
    sf_private_tag* file = m_file.release();
    return file == nullptr || sf_close(file) == 0;
}

}  // namespace media
