#pragma once

#include <QTextDocument>
#include <QUrl>
#include <QVariant>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A web view's page as rich text whose pictures come at the resolution it is
// drawn at: at double resolution, an image "Banner.png" beside the page is
// read from "Banner@2x.png" when that file exists, marked as two pixels per
// point so it takes the same room. Qt keeps what a document has loaded, so the
// resolution is chosen when the document is made.
//
// Pages come with boards, from anyone, so a picture is loaded only when it is
// a regular file inside one of the document's folders (after links), within
// Image's file and pixel limits, and while the page's pictures together stay
// within kPagePixels; nothing else a page names (style sheets, other pages) is
// fetched. Every file is opened without blocking. A refused picture is logged
// once and drawn as Qt's placeholder.
class ScaledTextDocument final : public QTextDocument {
  public:
    ScaledTextDocument(bool doubleResolution, const std::vector<std::filesystem::path>& folders);

    bool isDoubleResolution() const { return m_doubleResolution; }

    static constexpr std::uint64_t kPagePixels = std::uint64_t{4} << 20;

  protected:
    QVariant loadResource(int type, const QUrl& name) override;

  private:
    std::optional<QImage> picture(const std::string& path, double pixelRatio);

    const bool m_doubleResolution;
    std::vector<std::filesystem::path> m_folders;  // real paths
    std::uint64_t m_pixelsLeft = kPagePixels;
};

}  // namespace platform
