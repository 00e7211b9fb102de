#pragma once
// The application's document type: a source file of a demonstration report.
#include "demo/editor/CScintillaDoc.h"

class CScintillaDemoDoc : public CScintillaDoc {
    Q_OBJECT
public:
    explicit CScintillaDemoDoc(QObject* parent = nullptr);
};
