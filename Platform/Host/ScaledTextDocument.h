#pragma once

#include <QTextDocument>
#include <QUrl>
#include <QVariant>

namespace platform {

// A web view's page as rich text whose pictures come at the resolution it is
// drawn at: at double resolution, an image "Banner.png" beside the page is
// read from "Banner@2x.png" when that file exists, marked as two pixels per
// point so it takes the same room. Qt keeps what a document has loaded, so the
// resolution is chosen when the document is made.
class ScaledTextDocument final : public QTextDocument {
  public:
    explicit ScaledTextDocument(bool doubleResolution) : m_doubleResolution(doubleResolution) {}

    bool isDoubleResolution() const { return m_doubleResolution; }

  protected:
    QVariant loadResource(int type, const QUrl& name) override;

  private:
    const bool m_doubleResolution;
};

}  // namespace platform
