#include "records/KeywordEdit.h"

#include "ui_KeywordEdit.h"

#include "core/ItemNames.h"

namespace {

template <class Array>
Array toArray(const auto& values)
{
    Array out{};
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = values[qsizetype(i)];
    return out;
}

} // namespace

TKeywordEdit::TKeywordEdit(QWidget* owner) : TItemNameEdit(owner), ui(std::make_unique<Ui::TKeywordEdit>())
{
    ui->setupUi(this);
    InitItems(QStringLiteral("Keyword"), QStringLiteral("キーワード項目"), QStringList(KeywordNames.begin(), KeywordNames.end()),
              std::vector<int>(KeywordModes.begin(), KeywordModes.end()));
}

TKeywordEdit::~TKeywordEdit() = default;

bool TKeywordEdit::SaveSettings(const QStringList& names, const std::vector<int>& modes)
{
    return SaveKeywordItems(toArray<TKeywordNames>(names), toArray<TKeywordModes>(modes));
}

void TKeywordEdit::ApplySettings(const QStringList& names, const std::vector<int>& modes)
{
    KeywordNames = toArray<TKeywordNames>(names);
    KeywordModes = toArray<TKeywordModes>(modes);
}
