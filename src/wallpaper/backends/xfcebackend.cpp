#include "wallpaper/backends/xfcebackend.h"

#include <QRegularExpression>
#include <algorithm>
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

qsizetype XfceBackend::outputOf(const QString& property, const QStringList& outputs) {
    static const QRegularExpression monitor(QStringLiteral("/monitor([^/]+)/"));
    const QString name = monitor.match(property).captured(1);
    if (const qsizetype index = outputs.indexOf(name); index >= 0)
        return index;
    bool number = false;
    const int index = name.toInt(&number);
    return number && index >= 0 && index < outputs.size() ? index : 0;
}

void XfceBackend::apply(const QString& bitmapPath, const QImage&) {
    // Back to xfdesktop's own style once the program stops composing.
    show({bitmapPath}, outputs_, stretched_ ? Style::Reset : Style::Leave);
    stretched_ = false;
}

void XfceBackend::applyComposed(const ComposedWallpaper& wallpaper) {
    QStringList outputs;
    for (const Monitor& monitor : wallpaper.monitors)
        outputs.append(monitor.name);
    stretched_ = true;
    show(wallpaper.bitmaps, outputs, Style::Stretch);
}

void XfceBackend::show(const QStringList& bitmaps, const QStringList& outputs, Style style) {
    runner_.cancel();
    runner_.run({xfconfQuery, {channelOption, channel, QStringLiteral("-l")}},
                [this, bitmaps, outputs, style](const ProcessOutcome& outcome) {
                    // A channel that does not exist yet lists nothing and fails: create below.
                    if (outcome.status == ProcessOutcome::Status::NotFound ||
                        outcome.status == ProcessOutcome::Status::TimedOut) {
                        finishWith(outcome, {xfconfQuery, {QStringLiteral("-l")}});
                        return;
                    }
                    setProperties(outcome.ok() ? outcome.output : QByteArray(), bitmaps, outputs,
                                  style);
                });
}

void XfceBackend::setProperties(const QByteArray& listing, const QStringList& bitmaps,
                                const QStringList& outputs, Style style) {
    const QStringList properties = lastImageProperties(listing);
    QList<ProcessStep> steps;
    const QString propertyOption = QStringLiteral("-p");
    const QString setOption = QStringLiteral("-s");
    const auto styleSteps = [&](QString property) {
        property.replace(QStringLiteral("/last-image"), QStringLiteral("/image-style"));
        if (style == Style::Stretch) // 3: stretched over the monitor
            steps.append(
                {xfconfQuery,
                 {channelOption, channel, propertyOption, property, QStringLiteral("-n"),
                  QStringLiteral("-t"), QStringLiteral("int"), setOption, QStringLiteral("3")}});
        else if (style == Style::Reset && listing.contains(property.toUtf8() + '\n'))
            steps.append(
                {xfconfQuery,
                 {channelOption, channel, propertyOption, property, QStringLiteral("-r")}});
    };
    for (const QString& property : properties) {
        const QString path = bitmaps.value(outputOf(property, outputs), bitmaps.value(0));
        styleSteps(property);
        steps.append({xfconfQuery,
                      {channelOption, channel, propertyOption, property, setOption, QString()}});
        steps.append(
            {xfconfQuery, {channelOption, channel, propertyOption, property, setOption, path}});
    }
    // Outputs without a property of their own get one for their first workspace.
    QStringList missing = outputs.isEmpty() ? QStringList{QStringLiteral("0")} : outputs;
    for (qsizetype i = 0; i < missing.size(); ++i) {
        const QString marker = QStringLiteral("/monitor%1/").arg(missing[i]);
        const bool covered =
            missing[i].isEmpty() ||
            std::any_of(properties.begin(), properties.end(),
                        [&](const QString& property) { return property.contains(marker); });
        if (covered || (!properties.isEmpty() && style != Style::Stretch))
            continue;
        const QString property =
            QStringLiteral("/backdrop/screen0/monitor%1/workspace0/last-image").arg(missing[i]);
        styleSteps(property);
        steps.append({xfconfQuery,
                      {channelOption, channel, propertyOption, property, QStringLiteral("-n"),
                       QStringLiteral("-t"), QStringLiteral("string"), setOption,
                       bitmaps.value(i, bitmaps.value(0))}});
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
