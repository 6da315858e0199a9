#include "app/ui/cImageList.h"

#include <QImage>
#include <QPainter>

#include "app/mListPictures.h"
#include "base/cError.h"

int cImageList::DevicePixels() const { return mListPictures::DevicePixels(size_, ratio_); }

void cImageList::SetDevicePixelRatio(double ratio) {
    Clear();
    ratio_ = ratio > 0.0 ? ratio : 1.0;
}

QPixmap cImageList::Square(const QImage& picture) const {
    const int side = DevicePixels();
    QPixmap pixmap;
    if (picture.width() == side && picture.height() == side) {
        pixmap = QPixmap::fromImage(picture);
    } else {
        QImage square(side, side, QImage::Format_ARGB32_Premultiplied);
        square.fill(Qt::transparent);
        if (!picture.isNull()) {
            const QImage scaled = picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            QPainter p(&square);
            p.drawImage((side - scaled.width()) / 2, (side - scaled.height()) / 2, scaled);
        }
        pixmap = QPixmap::fromImage(square);
    }
    pixmap.setDevicePixelRatio(ratio_);
    return pixmap;
}

cImageList::cEntry& cImageList::NewEntry(const std::string& key) {
    if (Contains(key)) throw cError(kKeyNotUnique, cError::SourceOf("cImageList"), "Key is not unique in collection");
    return pictures_[key];
}

void cImageList::Add(const std::string& key, const QImage& picture) {
    NewEntry(key).picture = Square(picture);
    ++drawn_;
}

void cImageList::Add(const std::string& key, tDraw draw) { NewEntry(key).draw = std::move(draw); }

const QPixmap& cImageList::Item(const std::string& key) const {
    const auto it = pictures_.find(key);
    if (it == pictures_.end()) {
        cError::RaiseRuntime(cError::kElementNotFound);
    }
    cEntry& entry = it->second;
    if (entry.draw) {
        // Taken out first: a drawing is made once, whatever it gives.
        const tDraw draw = std::move(entry.draw);
        entry.draw = nullptr;
        const QImage picture = draw();
        if (!picture.isNull()) entry.picture = Square(picture);
        ++drawn_;
    }
    return entry.picture;
}
