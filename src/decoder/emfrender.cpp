#include "decoder/decoders.h"

#include <QPainter>
#include <QSvgRenderer>
#include <cstdlib>
#include <emf2svg.h>

namespace vlm::decoder {

namespace {

QByteArray emfToSvg(const QByteArray& data) {
    // No namespace prefix: emf2svg leaves it off some closing tags, which breaks the XML.
    char nameSpace[] = "";
    generatorOptions options{};
    options.nameSpace = nameSpace;
    options.verbose = false;
    options.emfplus = true;
    options.svgDelimiter = true;
    // emf2svg reads from the buffer without changing it, but its signature is not const.
    QByteArray bytes = data;
    char* svg = nullptr;
    size_t svgLength = 0;
    const int ok =
        emf2svg(bytes.data(), static_cast<size_t>(bytes.size()), &svg, &svgLength, &options);
    QByteArray result;
    if (ok == 1 && svg)
        result = QByteArray(svg, static_cast<qsizetype>(svgLength));
    std::free(svg);
    return result;
}

} // namespace

QImage renderEmf(const QByteArray& data, const Box& box) {
    const QByteArray svg = emfToSvg(data);
    if (svg.isEmpty())
        return {};
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return {};
    QSizeF natural = renderer.viewBoxF().size();
    if (natural.isEmpty())
        natural = renderer.defaultSize();
    QImage image = drawingCanvas(natural, box);
    if (image.isNull())
        return {};
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return image;
}

} // namespace vlm::decoder
