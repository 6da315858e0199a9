#include "app/ui/cImageList.h"

#include <QImage>
#include <QPainter>

#include "base/cError.h"

void cImageList::Add(const std::string& key, const QImage& picture) {
    if (Contains(key)) throw cError(kKeyNotUnique, cError::SourceOf("cImageList"), "Key is not unique in collection");
    QImage square(size_, size_, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    if (!picture.isNull()) {
        const QImage scaled = picture.size() == square.size()
                                  ? picture
                                  : picture.scaled(size_, size_, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPainter p(&square);
        p.drawImage((size_ - scaled.width()) / 2, (size_ - scaled.height()) / 2, scaled);
    }
    pictures_.emplace(key, QPixmap::fromImage(square));
}

const QPixmap& cImageList::Item(const std::string& key) const {
    const auto it = pictures_.find(key);
    if (it == pictures_.end()) {
        cError::RaiseRuntime(cError::kElementNotFound);
    }
    return it->second;
}
