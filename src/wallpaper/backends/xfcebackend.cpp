#include "wallpaper/backends/xfcebackend.h"

#include <QRegularExpression>
#include <utility>

namespace vlm {
namespace {

const QString channelOption = QStringLiteral("-c");
const QString channel = QStringLiteral("xfce4-desktop");
const QString xfconfQuery = QStringLiteral("xfconf-query");

} // namespace

XfceBackend::XfceBackend(const QProcessEnvironment& environment, QStringList outputs,
                         std::chrono::milliseconds timeout, FailureReporter::Sink sink)
    : runner_(environment, timeout), outputs_(std::move(outputs)),
      reporter_(QStringLiteral("xfce"), std::move(sink)) {}

QStringList XfceBackend::lastImageProperties(const QByteArray& listing) {
    static const QRegularExpression pattern(
        QStringLiteral("^/backdrop/screen[0-9]+/monitor[^/]+/workspace[0-9]+/last-image$"));
    QStringList properties;
    for (const QByteArray& line : listing.split('\n')) {
        const QString property = QString::fromUtf8(line).trimmed();
        if (pattern.match(property).hasMatch())
            properties.append(property);
    }
    return properties;
}

void XfceBackend::apply(const QString& bitmapPath, const QImage&) {
    runner_.cancel();
    runner_.run({xfconfQuery, {channelOption, channel, QStringLiteral("-l")}},
                [this, bitmapPath](const ProcessOutcome& outcome) {
                    // A channel that does not exist yet lists nothing and fails: create below.
                    const QStringList properties =
                        outcome.ok() ? lastImageProperties(outcome.output) : QStringList();
                    if (outcome.status == ProcessOutcome::Status::NotFound ||
                        outcome.status == ProcessOutcome::Status::TimedOut) {
                        finishWith(outcome, {xfconfQuery, {QStringLiteral("-l")}});
                        return;
                    }
                    setProperties(properties, bitmapPath);
                });
}

void XfceBackend::setProperties(const QStringList& properties, const QString& path) {
    QList<ProcessStep> steps;
    const QString propertyOption = QStringLiteral("-p");
    const QString setOption = QStringLiteral("-s");
    for (const QString& property : properties) {
        steps.append({xfconfQuery,
                      {channelOption, channel, propertyOption, property, setOption, QString()}});
        steps.append(
            {xfconfQuery, {channelOption, channel, propertyOption, property, setOption, path}});
    }
    if (properties.isEmpty()) {
        const QStringList outputs =
            outputs_.isEmpty() ? QStringList{QStringLiteral("0")} : outputs_;
        for (const QString& output : outputs) {
            const QString property =
                QStringLiteral("/backdrop/screen0/monitor%1/workspace0/last-image").arg(output);
            steps.append({xfconfQuery,
                          {channelOption, channel, propertyOption, property, QStringLiteral("-n"),
                           QStringLiteral("-t"), QStringLiteral("string"), setOption, path}});
        }
    }
    runner_.runSequence(steps, [this](const ProcessOutcome& outcome, const ProcessStep& step) {
        finishWith(outcome, step);
    });
}

void XfceBackend::finishWith(const ProcessOutcome& outcome, const ProcessStep& step) {
    if (!outcome.ok())
        reporter_.report(outcome.kind(step), outcome.describe(step));
    reportFinished(outcome.ok());
}

} // namespace vlm
