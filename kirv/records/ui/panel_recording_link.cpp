// The recording and the link to the meter: a recording cut by a lost link is written at once,
// said on the panel until acknowledged, and goes on by itself in a continuation file when the
// meter is back; a recording an earlier run left in "Fake" is offered back before "Fake" is
// used again.
#include "kirv/records/ui/panel_recording.h"

#include "kirv/widgets/graph.h"
#include "kirv/base/clock.h"
#include "kirv/panel/ui/panel.h"
#include "kirv/widgets/controls.h"
#include "kirv/records/filenames.h"
#include "kirv/records/ui/left_recording.h"
#include "kirv/base/civil_time.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace kirv {

QWidget* PanelRecording::buildLinkNotice(QWidget* parent)
{
    PicLinkLoss = new QWidget(parent);
    PicLinkLoss->setObjectName(QStringLiteral("PicLinkLoss"));
    PicLinkLoss->setStyleSheet(QStringLiteral("#PicLinkLoss { background: #fff4d6; border: 1px solid #c08000; }"));
    auto* row = new QHBoxLayout(PicLinkLoss);
    row->setContentsMargins(6, 4, 6, 4);
    LblLinkLoss = new QLabel(PicLinkLoss);
    LblLinkLoss->setObjectName(QStringLiteral("LblLinkLoss"));
    LblLinkLoss->setWordWrap(true);
    LblLinkLoss->setTextInteractionFlags(Qt::TextSelectableByMouse);
    CmdLinkLossOK = new QPushButton(QStringLiteral("OK"), PicLinkLoss);
    CmdLinkLossOK->setObjectName(QStringLiteral("CmdLinkLossOK"));
    CmdLinkLossOK->setToolTip(tr("Noted: hide this notice"));
    CmdLinkLossOK->setAutoDefault(false);
    row->addWidget(LblLinkLoss, 1);
    row->addWidget(CmdLinkLossOK, 0, Qt::AlignTop);
    connect(CmdLinkLossOK, &QPushButton::clicked, PicLinkLoss, &QWidget::hide);
    PicLinkLoss->hide();
    return PicLinkLoss;
}

void PanelRecording::showLinkNotice(const QString& text)
{
    LblLinkLoss->setText(text);
    LblLinkLoss->setAccessibleName(text);
    PicLinkLoss->show();
}

void PanelRecording::linkLost()
{
    m_tickWaiting = false;
    if (recording()) {
        const QString at = stampText(now());
        const QString cut = QDir::toNativeSeparators(m_fake.targetPath());
        const bool written = stopRecording();
        showLinkNotice(written ? QStringLiteral("Recording cut by a lost link at %1. Its data file: %2").arg(at, cut)
                               : QStringLiteral("Recording cut by a lost link at %1. Its data file %2 could not "
                                                "be written; the samples are kept in \"Fake\".")
                                     .arg(at, cut));
        m_resumeWhenBack = true;
    }
    m_sampler.resetAfterLinkLoss();
    m_list.clear();
    clearGraphs();
}

void PanelRecording::linkBack()
{
    if (!std::exchange(m_resumeWhenBack, false) || recording())
        return;
    // The next part that does not exist yet: no earlier measurement is ever replaced.
    QString target;
    do
        target = continuationPath(m_seriesFirst, ++m_seriesPart);
    while (QFile::exists(target));
    const QString notice = LblLinkLoss->text();
    if (startRecording(target, true)) {
        showLinkNotice(notice + QStringLiteral("\nThe link is back: the recording goes on in %1")
                                    .arg(QDir::toNativeSeparators(target)));
    }
}

bool PanelRecording::offerLeftRecording()
{
    if (recording())
        return true;
    const ShownSettings shown{m_panel.BoardCA->text(), m_panel.BoardSFI->text(), m_panel.BoardLevel->text()};
    QString written;
    const bool reusable = kirv::offerLeftRecording(&m_panel, m_folder, shown, &written);
    if (!written.isEmpty())
        emit fileWritten(written);
    return reusable;
}

} // namespace kirv
