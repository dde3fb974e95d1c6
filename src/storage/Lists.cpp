#include "storage/Lists.h"

#include "storage/ValueStream.h"

namespace tavik {

int TTopic::AddBmp(std::string name, std::int32_t position) {
    return Bmps.Add(std::make_unique<TBmp>(std::move(name), position));
}

TTopic& TTopicList::AddTopic(std::string name) {
    return Items(Add(std::make_unique<TTopic>(std::move(name))));
}

int TTopicList::ImageCount() const {
    int total = 0;
    for (int i = 0; i < Count(); ++i)
        total += Topics(i).Bmps.Count();
    return total;
}

TBmp& TTopicList::Image(int topicIndex, int imageIndex) const {
    return Topics(topicIndex).Bmps.Bmps(imageIndex);
}

void TTopicList::WriteTo(TValueWriter& writer) const {
    writer.WriteListBegin();
    for (int i = 0; i < Count(); ++i) {
        const TTopic& topic = Topics(i);
        writer.WriteString(topic.Name);
        writer.WriteListBegin();
        for (int j = 0; j < topic.Bmps.Count(); ++j) {
            const TBmp& bmp = topic.Bmps.Bmps(j);
            writer.WriteString(bmp.Name);
            writer.WriteInteger(bmp.Position);
        }
        writer.WriteListEnd();
    }
    writer.WriteListEnd();
}

void TTopicList::ReadFrom(TValueReader& reader) {
    reader.ReadListBegin();
    Clear();
    while (!reader.EndOfList()) {
        TTopic& topic = AddTopic(reader.ReadString());
        reader.ReadListBegin();
        while (!reader.EndOfList()) {
            std::string name = reader.ReadString();
            const std::int32_t position = reader.ReadInteger();
            topic.AddBmp(std::move(name), position);
        }
        reader.ReadListEnd();
    }
    reader.ReadListEnd();
}

} // namespace tavik
