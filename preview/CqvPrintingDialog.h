#pragma once
// The small modeless "Process" window shown while a report lays out its pages
// and while it prints them: what is happening, for which document, on which
// printer and port, at which page, with a Cancel button. Its abort check keeps
// the application responsive during those loops.
#include <QDialog>

#include "engine/Progress.h"

class QLabel;

class CqvPrintingDialog : public QDialog, public Progress {
    Q_OBJECT
public:
    // Opens the window at once (hidden until Show) and clears the process-wide
    // cancel flag, so every loop starts uncancelled.
    explicit CqvPrintingDialog(QWidget* parent = nullptr);
    ~CqvPrintingDialog() override;

    // Progress
    void SetItemText(int item, const std::string& text) override;
    void Show() override;
    bool AbortCheck() override;

    // The text of item 2005, 2013, 2014, 2015 or 2016.
    QString ItemText(int item) const;

public slots:
    // Cancel (the button or Esc): the loops stop at their next check.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* Item(int item) const;

    // Set when a quit request went by while the check pumped events.
    bool m_bQuitRequested = false;
};
