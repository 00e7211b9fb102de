#pragma once
// The modeless Find and Replace dialogs (templates 101 and 102): the usual
// find and replace controls plus the "Regular &expression" check box. The
// dialog only collects what to look for; the view that opened it searches.
#include <QByteArray>
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CScintillaFindReplaceDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids, as object names "id<number>".
    static constexpr int kIdFindNext = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kIdReplace = 1024;
    static constexpr int kIdReplaceAll = 1025;
    static constexpr int kIdWholeWord = 1040;
    static constexpr int kIdMatchCase = 1041;
    static constexpr int kIdRegularExpression = 1042;
    static constexpr int kIdUp = 1056;
    static constexpr int kIdDown = 1057;
    static constexpr int kIdFindWhat = 1152;
    static constexpr int kIdReplaceWith = 1153;

    // findOnly: the Find dialog; else the Replace dialog.
    CScintillaFindReplaceDlg(bool findOnly, const QString& findText, const QString& replaceText, bool matchCase,
                             bool wholeWord, bool regularExpression, bool searchDown, QWidget* parent);

    bool IsFindOnly() const { return m_bFindOnly; }
    QString GetFindString() const;
    QString GetReplaceString() const;
    bool MatchCase() const;
    bool MatchWholeWord() const;
    bool RegularExpression() const;
    bool SearchDown() const;

signals:
    void FindNextRequested();
    void ReplaceRequested();
    void ReplaceAllRequested();

private:
    void UpdateButtons();
    // Tab and Shift+Tab follow the dialog's reading order.
    void SetReadingOrder(QPushButton* cancel);

    bool m_bFindOnly;
    QLineEdit* m_pFindWhat = nullptr;
    QLineEdit* m_pReplaceWith = nullptr;
    QCheckBox* m_pWholeWord = nullptr;
    QCheckBox* m_pMatchCase = nullptr;
    QCheckBox* m_pRegularExpression = nullptr;
    QRadioButton* m_pUp = nullptr;
    QRadioButton* m_pDown = nullptr;
    QPushButton* m_pFindNext = nullptr;
    QPushButton* m_pReplace = nullptr;
    QPushButton* m_pReplaceAll = nullptr;
};
