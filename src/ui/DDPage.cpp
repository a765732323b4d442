// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DDPage.h"

#include "ui/BackgroundRunner.h"

#include <QPushButton>

void CDDPage::SetBusy(bool busy) {
    for (QPushButton* button : findChildren<QPushButton*>()) button->setEnabled(!busy);
}

bool CDDPage::RunnerBusy() const {
    const CBackgroundRunner* runner = Runner();
    return runner && runner->IsBusy();
}
