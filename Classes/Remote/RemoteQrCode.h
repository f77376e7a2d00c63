#pragma once

#include <string>
#include <vector>

// The address with the pairing secret as a QR code (libqrencode), for the
// terminal of a headless sound box and for the Remote Control dialog.
class RemoteQrCode {
  public:
    // None (empty) when the text cannot be encoded.
    explicit RemoteQrCode(const std::string& text);

    // Modules per side, without the quiet zone; 0 when empty.
    int size() const { return m_size; }
    // Whether the module at (x, y) is dark; false outside the code.
    bool dark(int x, int y) const;
    // The code drawn with half-block characters, two rows of modules per
    // line, dark on light with the quiet zone around it, so a phone can read
    // it from a terminal of either colour scheme.
    std::string terminalText() const;

  private:
    int m_size = 0;
    std::vector<bool> m_modules;
};
