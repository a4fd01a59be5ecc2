#include "libraries/uninstaller/UninstallBoxes.h"

#include <QMessageBox>
#include <cstdio>

namespace uninstaller {

namespace {

QString qs(const std::string& text) { return QString::fromLocal8Bit(text.c_str()); }

void report(bool silent, QMessageBox::Icon icon, const QString& text) {
    if (icon != QMessageBox::Information) std::fprintf(stderr, "RUXUninst: %s\n", text.toLocal8Bit().constData());
    if (silent) return;
    QMessageBox box(icon, QString::fromLatin1(BoxTitle), text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("outcome"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

QString questionText(const Plan& plan) {
    return QStringLiteral("Do you want to remove %1 and all of its components?").arg(qs(plan.product));
}

QString removalSummary(const Plan& plan, std::size_t shown) {
    QString text = QStringLiteral("These will be removed:");
    for (std::size_t i = 0; i < plan.paths.size() && i < shown; ++i) text += QStringLiteral("\n") + qs(plan.paths[i]);
    if (plan.paths.size() > shown) text += QStringLiteral("\nand %1 more files and folders").arg(plan.paths.size() - shown);
    if (plan.registryEntries > 0) text += QStringLiteral("\nand %1 registry entries").arg(plan.registryEntries);
    return text;
}

QString outcomeText(const std::string& product, const Outcome& outcome) {
    QString text;
    switch (outcome.kind) {
        case Outcome::BadRecord: return qs(outcome.message);
        case Outcome::Done: text = QStringLiteral("%1 has been removed.").arg(qs(product)); break;
        case Outcome::Incomplete:
            text = QStringLiteral("%1 could not be removed completely. These are left; run the uninstall again later:")
                       .arg(qs(product));
            for (const auto& problem : outcome.problems) text += QStringLiteral("\n") + qs(problem);
            break;
    }
    if (!outcome.kept.empty()) {
        text += QStringLiteral("\n\nThese folders were kept, as they hold what was not installed with it:");
        for (const auto& [folder, names] : outcome.kept) {
            QStringList list;
            for (const auto& name : names) list << qs(name);
            text += QStringLiteral("\n%1: %2").arg(qs(folder), list.join(QStringLiteral(", ")));
        }
    }
    return text;
}

int runUninstaller(const platform::Machine& machine, const Arguments& arguments) {
    if (arguments.recordPath.empty()) {
        report(arguments.silent, QMessageBox::Critical, QStringLiteral("No uninstall record is given."));
        return 1;
    }
    std::string why;
    const auto plan = planUninstall(machine, arguments.recordPath, why);
    if (!plan) {
        report(arguments.silent, QMessageBox::Critical, qs(why));
        return 1;
    }
    if (!arguments.silent) {
        QMessageBox question(QMessageBox::Question, QString::fromLatin1(BoxTitle), questionText(*plan),
                             QMessageBox::Yes | QMessageBox::No);
        question.setObjectName(QStringLiteral("question"));
        question.setTextFormat(Qt::PlainText);
        question.setInformativeText(removalSummary(*plan));
        question.setDetailedText(removalSummary(*plan, plan->paths.size()));
        question.setDefaultButton(QMessageBox::No);
        if (question.exec() != QMessageBox::Yes) return 1;
    }
    const Outcome outcome = uninstall(machine, arguments.recordPath);
    const QString text = outcomeText(plan->product, outcome);
    switch (outcome.kind) {
        case Outcome::Done: report(arguments.silent, QMessageBox::Information, text); return 0;
        case Outcome::BadRecord: report(arguments.silent, QMessageBox::Critical, text); return 1;
        case Outcome::Incomplete: report(arguments.silent, QMessageBox::Warning, text); return 2;
    }
    return 2;
}

}  // namespace uninstaller
