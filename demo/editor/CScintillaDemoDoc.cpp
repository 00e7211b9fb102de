#include "demo/editor/CScintillaDemoDoc.h"

CScintillaDemoDoc::CScintillaDemoDoc(QObject* parent) : CScintillaDoc(parent) {}
