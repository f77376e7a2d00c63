#include "HostileBoards.h"

#include <sys/stat.h>

#include <zlib.h>

#include <fstream>
#include <functional>
#include <map>

namespace fs = std::filesystem;

namespace hostile {
namespace {

std::string repeated(std::string_view piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += piece;
    return text;
}

void banner(const fs::path& board, const std::string& body) {
    writeText(board / "ad.html", "<html><body>" + body + "</body></html>\n");
}

void appendBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xff);
}

void appendChunk(std::string& png, std::string_view type, const std::string& data) {
    appendBigEndian(png, static_cast<std::uint32_t>(data.size()));
    const std::string typed = std::string(type) + data;
    png += typed;
    appendBigEndian(
        png, static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                              static_cast<uInt>(typed.size()))));
}

using Change = std::function<void(const fs::path& board)>;

const std::vector<std::pair<std::string, Change>>& changes() {
    static const std::vector<std::pair<std::string, Change>> all = {
        {"catalogue_is_a_fifo",
         [](const fs::path& b) {
             fs::remove(b / "Data.XML");
             ::mkfifo((b / "Data.XML").c_str(), 0644);
         }},
        {"sparse_catalogue", [](const fs::path& b) { writeSparseFile(b / "Data.XML", 64u << 20); }},
        {"sound_links_outside_the_board",
         [](const fs::path& b) {
             fs::rename(b / "001.aiff", b.parent_path() / "outside.aiff");
             fs::create_symlink(b.parent_path() / "outside.aiff", b / "001.aiff");
         }},
        {"terminal_controls_in_an_audio_number",
         [](const fs::path& b) {
             writeText(b / "Data.XML",
                       "<S><DT title=\"A\"><DS audio_no=\"&#x9b;31mFAKE&#x9d;0;PWNED\" "
                       "label=\"x\"/></DT></S>");
         }},
        {"banner_picture_is_a_fifo",
         [](const fs::path& b) {
             ::mkfifo((b / "pipe.png").c_str(), 0644);
             banner(b, "<img src=\"pipe.png\">");
         }},
        {"banner_picture_outside_the_board",
         [](const fs::path& b) {
             banner(b, "<img src=\"/dev/zero\"><img src=\"../outside.png\">");
         }},
        {"banner_of_nested_divs", [](const fs::path& b) { banner(b, repeated("<div>", 20000)); }},
        {"banner_of_nested_tables",
         [](const fs::path& b) { banner(b, repeated("<table><tr><td>", 10000) + "deep"); }},
        {"banner_too_large", [](const fs::path& b) { banner(b, repeated("<div>", 200000)); }},
        {"banner_picture_of_many_pixels",
         [](const fs::path& b) {
             writeBlankPng(b / "wide.png", 8000, 8000);
             banner(b, "<img src=\"wide.png\">");
         }},
        {"bar_pictures_of_many_pixels",
         [](const fs::path& b) {
             for (const char* name :
                  {"love.png", "love@2x.png", "Settings.png", "LoveAdd.png", "LoveRemove.png"}) {
                 writeBlankPng(b / name, 8000, 8000);
             }
         }},
        {"sparse_info_plist",
         [](const fs::path& b) { writeSparseFile(b / "Info.plist", 64u << 20); }},
        {"a_label_of_1500_KB",
         [](const fs::path& b) {
             writeText(b / "Data.XML", "<S><DT title=\"A\"><DS audio_no=\"001\" label=\"" +
                                           repeated("label ", 250000) + "\"/></DT></S>");
         }},
    };
    return all;
}

}  // namespace

void writeText(const fs::path& path, std::string_view text) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void writeUsableBoard(const fs::path& board, const fs::path& sound) {
    fs::create_directories(board);
    fs::copy_file(sound, board / "001.aiff", fs::copy_options::overwrite_existing);
    writeText(board / "Data.XML",
              "<Sounds><DT title=\"A\"><DS audio_no=\"001\" label=\"One\"/></DT></Sounds>\n");
}

const std::vector<std::string>& hostileChanges() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const auto& [name, change] : changes()) all.push_back(name);
        return all;
    }();
    return names;
}

bool makeHostile(const fs::path& board, std::string_view change) {
    for (const auto& [name, apply] : changes()) {
        if (name != change) continue;
        apply(board);
        return true;
    }
    return false;
}

void writeBlankPng(const fs::path& path, std::uint32_t width, std::uint32_t height) {
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    appendBigEndian(header, width);
    appendBigEndian(header, height);
    header += std::string("\x01\x00\x00\x00\x00", 5);  // 1-bit grey, no interlace
    appendChunk(png, "IHDR", header);

    z_stream stream{};
    deflateInit(&stream, Z_BEST_SPEED);
    std::string row(1 + (width + 7) / 8, '\0');  // the filter byte, then the bits
    std::string compressed;
    std::string buffer(1 << 16, '\0');
    for (std::uint32_t y = 0; y < height; ++y) {
        stream.next_in = reinterpret_cast<Bytef*>(row.data());
        stream.avail_in = static_cast<uInt>(row.size());
        const int flush = y + 1 == height ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer.data());
            stream.avail_out = static_cast<uInt>(buffer.size());
            deflate(&stream, flush);
            compressed.append(buffer.data(), buffer.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    appendChunk(png, "IDAT", compressed);
    appendChunk(png, "IEND", "");
    writeText(path, png);
}

void writeSparseFile(const fs::path& path, std::uintmax_t bytes) {
    writeText(path, "");
    fs::resize_file(path, bytes);
}

}  // namespace hostile
