#include "records/InquiryLinks.h"

namespace {

TInquiryLinks RunningWindows()
{
    return {};
}

TInquiryLinksProvider& Provider()
{
    static TInquiryLinksProvider provider;
    return provider;
}

} // namespace

TInquiryLinks CurrentInquiryLinks()
{
    return Provider() ? Provider()() : RunningWindows();
}

TInquiryLinksProvider SetInquiryLinksProvider(TInquiryLinksProvider provider)
{
    TInquiryLinksProvider old = std::move(Provider());
    Provider() = std::move(provider);
    return old;
}
