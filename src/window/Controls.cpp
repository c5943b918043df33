#include "window/Controls.h"

#include "window/Zoom.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <qdrawutil.h>

#include <algorithm>
#include <array>

namespace Controls {

QLabel* MakeStatusLabel(QWidget& parent, const QString& text, const QRect& geometry)
{
    QLabel* label = MakeChild<QLabel>(parent, text);
    label->setGeometry(geometry);
    QPalette white = label->palette();
    white.setColor(QPalette::Window, Qt::white);
    label->setPalette(white);
    label->setAutoFillBackground(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFont(StatusFont());
    return label;
}

QFont StatusFont()
{
    // Arial's metric twins first; DejaVu Sans, the widest, still fits.
    static constexpr std::array<const char*, 5> candidates{"Liberation Sans", "Arimo", "Nimbus Sans", "Arial",
                                                           "DejaVu Sans"};
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    font.setFamily(QStringLiteral("sans-serif"));
    for (const char* name : candidates) {
        const QString family = QString::fromLatin1(name);
        if (QFontDatabase::hasFamily(family)) {
            font.setFamily(family);
            break;
        }
    }
    font.setPixelSize(11);
    return font;
}

QLabel* MakeMessageLabel(QWidget& parent)
{
    QLabel* label = MakeChild<QLabel>(parent, QStringLiteral("Level One Completed!"));
    label->setAutoFillBackground(false); // the frame shows through
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    label->setFont(MessageFont());
    // "Level 12 Completed!" wraps to two lines; a stand-in font with taller
    // lines than Bookman Old Style gets the height to show both in full.
    const int twoLines = 2 * QFontMetrics(label->font()).lineSpacing();
    label->setGeometry(16, 104, 297, std::max(113, twoLines));
    label->hide();
    return label;
}

void ZoomMessageLabel(ClientArea::Zoomed& label, qreal scale, QPoint origin)
{
    ClientArea::ScaleAsDesigned(label, scale, origin);
    // Fonts do not grow exactly in step with their size.
    const int twoLines = 2 * QFontMetrics(label.widget->font()).lineSpacing();
    if (label.widget->height() < twoLines)
        label.widget->resize(label.widget->width(), twoLines);
}

QLabel* MakeTitlePicture(QWidget& parent)
{
    QLabel* picture = MakeChild<QLabel>(parent);
    picture->setGeometry(0, 0, 304, 304);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette white = picture->palette();
    white.setColor(QPalette::Window, Qt::white);
    picture->setPalette(white);
    picture->setAutoFillBackground(true);
    return picture;
}

void ZoomTitlePicture(ClientArea::Zoomed& picture, qreal scale, QPoint origin)
{
    auto& label = static_cast<QLabel&>(*picture.widget);
    if (picture.look.isNull()) {
        // The design look once, the picture in a sunken 2-pixel panel, one
        // pixel to a design pixel whatever the desktop's scale.
        picture.look = QPixmap(picture.geometry.size());
        picture.look.fill(Qt::white);
        QPainter painter(&picture.look);
        painter.drawPixmap(2, 2, QPixmap(QStringLiteral(":/assets/title.png")));
        qDrawShadePanel(&painter, picture.look.rect(), label.palette(), true, 2);
    }
    const qreal ratio = label.devicePixelRatioF();
    const int zoom = std::max(1, qRound(scale * ratio)); // device pixels to a picture pixel
    QPixmap zoomed = picture.look.scaled(picture.look.size() * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    zoomed.setDevicePixelRatio(ratio);
    label.setGeometry(Zoom::Scaled(picture.geometry, scale, origin));
    label.setPixmap(zoomed);
}

QFont MessageFont()
{
    // Linux has no Bookman Old Style; URW Bookman has the same metrics.
    static constexpr std::array<const char*, 4> candidates{"Bookman Old Style", "URW Bookman", "URW Bookman L",
                                                           "Bookman"};
    QFont font;
    font.setStyleHint(QFont::Serif);
    font.setFamily(QStringLiteral("serif"));
    for (const char* name : candidates) {
        const QString family = QString::fromLatin1(name);
        if (QFontDatabase::hasFamily(family)) { // also finds "URW Bookman [urw]"
            font.setFamily(family);
            break;
        }
    }
    font.setPointSize(36);
    font.setWeight(QFont::Light);
    return font;
}

} // namespace Controls
