#include "fileoperator.h"

#include "platform/error.h"

#include <QDir>
#include <QScopeGuard>
#include <QWidget>

namespace zel {
namespace {

const unsigned shellFlags[] = {platform::FOF_ALLOWUNDO, platform::FOF_CONFIRMMOUSE, platform::FOF_FILESONLY,
                               platform::FOF_MULTIDESTFILES, platform::FOF_NOCONFIRMATION, platform::FOF_NOCONFIRMMKDIR,
                               platform::FOF_RENAMEONCOLLISION, platform::FOF_SILENT, platform::FOF_SIMPLEPROGRESS,
                               platform::FOF_WANTMAPPINGHANDLE};

struct FunctionInfo {
    unsigned code;
    const char *title;
};
const FunctionInfo functions[] = {{platform::FO_COPY, "Copying..."},
                                  {platform::FO_DELETE, "Deleteing..."},
                                  {platform::FO_MOVE, "Moving..."},
                                  {platform::FO_RENAME, "Renaming..."}};

} // namespace

TZELFileOperator::TZELFileOperator(QObject *owner) : TZELExecuteComponent(owner)
{
    SetFlags(opAllowUndo | opNoConfirmMkDir);
}

TZELFileFlags TZELFileOperator::Flags() const
{
    TZELFileFlags out = 0;
    for (unsigned bit = 0; bit < 10; ++bit)
        if (record_.flags & shellFlags[bit])
            out |= 1u << bit;
    return out;
}

void TZELFileOperator::SetFlags(TZELFileFlags flags)
{
    record_.flags = 0;
    for (unsigned bit = 0; bit < 10; ++bit)
        if (flags & (1u << bit))
            record_.flags |= shellFlags[bit];
}

bool TZELFileOperator::Execute()
{
    const TNotifyEvent *success[] = {&OnSuccessCopy, &OnSuccessDelete, &OnSuccessMove, &OnSuccessRename};
    const TNotifyEvent *fail[] = {&OnFailCopy, &OnFailDelete, &OnFailMove, &OnFailRename};
    auto finish = [&](bool ok) {
        const TNotifyEvent &event = ok ? *success[Operation] : *fail[Operation];
        if (event)
            event(this);
        if (OnDone)
            OnDone(this);
        return ok;
    };
    // A progress window lets events run; an operation started from one of them must wait its turn.
    if (running_)
        return finish(false);

    record_.func = functions[Operation].code;
    record_.progressTitle = QString::fromLatin1(functions[Operation].title);
    record_.owner = qobject_cast<QWidget *>(parent());
    record_.nameMappings.clear();
    if (!DirFrom.isEmpty() && !DirFrom.endsWith(QLatin1Char('/')))
        DirFrom += QLatin1Char('/');
    if (DirTo.isEmpty())
        throw platform::Error(QStringLiteral("Directory Information is invalid"));
    if (!DirFrom.isEmpty() && !QDir::setCurrent(DirFrom))
        throw platform::Error(QStringLiteral("Can not locate current Directory"));
    if (FilesFrom.isEmpty())
        return finish(false);

    const QChar nul(0);
    record_.from = DirFrom + FilesFrom.first();
    for (int i = 1; i < FilesFrom.size(); ++i)
        record_.from += nul + DirFrom + FilesFrom[i];
    record_.from += nul;
    record_.to = DirTo + nul;

    running_ = true;
    auto done = qScopeGuard([this] { running_ = false; });
    return finish(platform::ShellFileOperation(record_) == platform::FileOpOk);
}

} // namespace zel
