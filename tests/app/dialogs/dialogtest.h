#pragma once
// Helpers for tests of the table and list dialogs.
#include "app/dialogs/engine.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <memory>

namespace dialogtest {

inline void FillGrid(QTableWidget *grid, const QList<QStringList> &rows)
{
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            grid->setItem(r, c, new QTableWidgetItem(rows[r][c]));
}

// OK pressed; what the dialog built at that moment.
inline QString OkText(dialogs::TTagDialog *d)
{
    QString built;
    d->OnOk = [&] { built = d->Build(); };
    QTest::mouseClick(d->Button1, Qt::LeftButton);
    return built;
}

// A dialog as the launcher makes it, shown.
template <class T> std::unique_ptr<T> OpenDialog(const char *cls)
{
    std::unique_ptr<T> d(qobject_cast<T *>(dialogs::CreateDialog(QString::fromLatin1(cls), nullptr)));
    d->show();
    return d;
}

} // namespace dialogtest
