#pragma once

#include "platform/picturesource.h"

#include <QEventLoop>
#include <QTimer>
#include <optional>

namespace vlmtest {

// The helper ctest names.
inline QString decodeHelper() {
    return qEnvironmentVariable("VLM_DECODE_HELPER");
}

// Decodes path with the helper and waits for the answer: a test may wait, the window never.
inline vlm::DecodedPicture decodeNow(const QString& helper, const QString& path, QSize box = {},
                                     bool cover = false, bool sizeOnly = false) {
    vlm::HelperPictureSource source(helper);
    const vlm::PictureJobPtr job = source.decode({path, box, cover, {}, sizeOnly});
    std::optional<vlm::DecodedPicture> answer;
    QEventLoop loop;
    QObject::connect(job.get(), &vlm::PictureJob::finished, &loop,
                     [&](const vlm::DecodedPicture& picture) {
                         answer = picture;
                         loop.quit();
                     });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    return answer.value_or(
        vlm::DecodedPicture{{}, vlm::PictureProblem::Refused, u"no answer"_qs, {}});
}

inline QSize measurePicture(const QString& path) {
    return decodeNow(decodeHelper(), path, {}, false, true).size;
}

inline QImage loadPicture(const QString& path, QSize box = {}, bool cover = false) {
    return decodeNow(decodeHelper(), path, box, cover).image;
}

} // namespace vlmtest
