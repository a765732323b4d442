#include "ui/LogMirror.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>

namespace {

void ScrollToEnd(QPlainTextEdit& field) {
    field.ensureCursorVisible();
    QScrollBar* vertical = field.verticalScrollBar();
    vertical->setValue(vertical->maximum());
    field.horizontalScrollBar()->setValue(0);
}

}  // namespace

bool CLogMirror::Update(QPlainTextEdit& field, const std::string& collectedText) {
    // The collected text only grows; should it ever be replaced by a shorter
    // one, start over.
    if (collectedText.size() < m_nMirrored) {
        field.clear();
        m_nMirrored = 0;
    }
    if (collectedText.size() == m_nMirrored) return false;

    QString tail = QString::fromUtf8(collectedText.data() + m_nMirrored,
                                     static_cast<qsizetype>(collectedText.size() - m_nMirrored));
    m_nMirrored = collectedText.size();
    // Shown as collected, the empty first line of a text that starts with a
    // line break included.
    tail.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));

    QTextCursor cursor = field.textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(tail);
    field.setTextCursor(cursor);
    ScrollToEnd(field);
    // The scroll range grows only when the new lines have been laid out.
    QTimer::singleShot(0, &field, [&field] { ScrollToEnd(field); });
    return true;
}
