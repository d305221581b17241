#pragma once

#include <QFont>
#include <QString>

// The windows name the Windows fonts they were drawn with. Where those are
// missing, a proportional Japanese UI gothic takes their place: its narrow
// kana keep every caption and picture inside the stated buttons, which a
// full-width fallback does not.
void SubstituteWindowsFonts();

// The font of that Windows name and pixel size, asked for by the installed
// family that draws it: the name itself where installed, else its first
// installed substitute. Qt would otherwise run the desktop's whole fallback
// search for the missing name before it tries the substitutes, once for
// every size.
QFont WindowsFont(const QString& name, int pixelSize);
