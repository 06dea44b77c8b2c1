#include "launchers.h"

#include "app/dialogs/unit_link.h"
#include "app/frameform.h"
#include "platform/dialogs.h"

#include <QPushButton>

namespace app {
namespace {

const TLauncher launchers[] = {
    {"HyperLink1", "Knap_Link",
     [](QWidget *parent) -> dialogs::TTagDialog * { return dialogs::Link = new dialogs::TLink(parent); }},
};

} // namespace

std::span<const TLauncher> Launchers() { return launchers; }

bool Launch(const QString &item)
{
    for (const TLauncher &l : launchers) {
        if (item != QLatin1String(l.item))
            continue;
        // Owned by the main window and kept until exit, so the dialog's global always names the newest one.
        dialogs::TTagDialog *dialog = l.create(FrameForm);
        const QString handOver = QString::fromLatin1(l.handOver);
        dialog->OnOk = [handOver] {
            if (!FrameForm)
                return;
            if (auto *button = FrameForm->findChild<QPushButton *>(handOver))
                button->click();
        };
        platform::ShowModal(dialog);
        return true;
    }
    return false;
}

} // namespace app
