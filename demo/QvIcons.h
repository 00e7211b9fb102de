#pragma once
// The application's pictures, drawn rather than shipped: the application icon
// (128), the document icon (129) and the toolbar buttons (toolbar 128).
#include <QIcon>

QIcon QvApplicationIcon();
QIcon QvDocumentIcon();
// The toolbar picture of a command: Save, Undo, Redo, Print Preview, Print.
QIcon QvToolbarIcon(int commandId);
