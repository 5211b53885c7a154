#pragma once

#include <QString>

// The window's fixed pixel layout was drawn for a classic 8-point dialog face
// (11 pixels high at 96 dots per inch). useBaseFont() loads a face with those
// metrics from its font file and makes it the application font, 11 pixels, so
// that the layout's cells and captions hold their texts whole whatever the
// screen's dots per inch. Call it after the application object exists and
// before any widget. Returns an empty string, or the message saying which file
// could not be used; the application font then stays as it was.
// The face's file, from a Debian package: the same path in the build tree and installed.
QString baseFontFile();
QString useBaseFont(const QString &fontFile = baseFontFile());

inline constexpr int kBaseFontPixelSize = 11;
