#include "drawing/objects/DrawItems.h"

#include "drawing/objects/AdditionRect.h"
#include "drawing/objects/AddressRect.h"
#include "drawing/objects/BarcodeRect.h"
#include "drawing/objects/CorpRect.h"
#include "drawing/objects/DrawRect.h"
#include "drawing/objects/FigureRect.h"
#include "drawing/objects/IllustRect.h"
#include "drawing/objects/NameRect.h"
#include "drawing/objects/PosRect.h"
#include "drawing/objects/QRCodeRect.h"
#include "drawing/objects/SenderRect.h"
#include "drawing/objects/WordRect.h"

#include <memory>

namespace {

template <class T>
std::unique_ptr<TDrawRect> Make(quint8 Kind)
{
    return std::make_unique<T>(Kind);
}

// Every item class of the program. The factory gets the kind: the sender
// flag of an item is not in its record.
const TDrawRectClass& PosClass()
{
    static const TDrawRectClass c{"TPosRect", {ikPosCode, ikSenderPosCode}, Make<TPosRect>};
    return c;
}

const TDrawRectClass& AddressClass()
{
    static const TDrawRectClass c{"TAddressRect", {ikAddress, ikSenderAddress}, Make<TAddressRect>};
    return c;
}

const TDrawRectClass& FigureClass()
{
    static const TDrawRectClass c{"TFigureRect", {ikFigure}, [](quint8) -> std::unique_ptr<TDrawRect> {
                                      return std::make_unique<TFigureRect>();
                                  }};
    return c;
}

// A name or company line (kinds 2 and 6) needs the class the container names.
template <class T>
std::unique_ptr<TDrawRect> MakeNameSide(quint8 Kind)
{
    auto r = std::make_unique<T>();
    r->SetSenderItem(Kind == ikSenderName);
    return r;
}

const TDrawRectClass& NameClass()
{
    static const TDrawRectClass c{"TNameRect", {ikName, ikSenderName}, MakeNameSide<TNameRect>};
    return c;
}

const TDrawRectClass& CorpClass()
{
    static const TDrawRectClass c{"TCorpRect", {ikName, ikSenderName}, MakeNameSide<TCorpRect>};
    return c;
}

const TDrawRectClass& AdditionClass()
{
    static const TDrawRectClass c{"TAdditionRect", {ikAddition}, [](quint8) -> std::unique_ptr<TDrawRect> {
                                      return std::make_unique<TAdditionRect>();
                                  }};
    return c;
}

const TDrawRectClass& WordClass()
{
    static const TDrawRectClass c{"TWordRect", {ikWord}, [](quint8) -> std::unique_ptr<TDrawRect> {
                                      return std::make_unique<TWordRect>();
                                  }};
    return c;
}

const TDrawRectClass& BarcodeClass()
{
    static const TDrawRectClass c{"TBarcodeRect", {ikBarcode}, [](quint8) -> std::unique_ptr<TDrawRect> {
                                      return std::make_unique<TBarcodeRect>();
                                  }};
    return c;
}

const TDrawRectClass& QRCodeClass()
{
    static const TDrawRectClass c{"TQRCodeRect", {ikQRCode}, [](quint8) -> std::unique_ptr<TDrawRect> {
                                      return std::make_unique<TQRCodeRect>();
                                  }};
    return c;
}

const TDrawRectClass* const kClasses[] = {&PosClass(),      &AddressClass(), &NameClass(), &CorpClass(),
                                          &AdditionClass(), &WordClass(),    &FigureClass(),
                                          &BarcodeClass(),  &QRCodeClass(),  &IllustDrawRectClass(),
                                          &SenderRectClass()};

} // namespace

void RegisterDrawItemClasses()
{
    for (const TDrawRectClass* c : kClasses)
        if (!FindDrawRectClass(c->Name))
            RegisterDrawRectClass(*c);
}

void UnregisterDrawItemClasses()
{
    for (const TDrawRectClass* c : kClasses)
        UnregisterDrawRectClass(c->Name);
}
