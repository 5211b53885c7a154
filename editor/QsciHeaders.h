#pragma once

// The QScintilla headers use the bare words signals and slots, which the
// project switches off (QT_NO_KEYWORDS); they are lent for these includes only.
#if defined(QT_NO_KEYWORDS) && !defined(signals)
#define signals Q_SIGNALS
#define slots Q_SLOTS
#define QM_QSCI_LENT_KEYWORDS
#endif

#include <Qsci/qscilexercustom.h>
#include <Qsci/qsciscintilla.h>

#if defined(QM_QSCI_LENT_KEYWORDS)
#undef signals
#undef slots
#undef QM_QSCI_LENT_KEYWORDS
#endif
