#include "bills.h"

#include <stdexcept>
#include <string>
#include <utility>

#include "countries.h"
#include "default_tables.h"
#include "int_text.h"
#include "xml_elements.h"

namespace notarel {

void TBill::SetValue(std::int32_t value) {
  const auto lock = FOwner->LockTables();
  FValue = value;
}

void TBill::SetCode(std::int32_t code) {
  const auto lock = FOwner->LockTables();
  FCode = code;
}

std::unique_lock<std::mutex> TBills::LockTables() const {
  return FOwner != nullptr ? FOwner->LockTables() : std::unique_lock<std::mutex>();
}

TBill& TBills::Items(int index) {
  if (index < 0 || index >= Count()) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  }
  return *FItems[static_cast<std::size_t>(index)];
}

const TBill& TBills::Items(int index) const { return const_cast<TBills*>(this)->Items(index); }

TBill& TBills::Add() {
  std::unique_ptr<TBill> bill(new TBill(this));
  const auto lock = LockTables();
  FItems.push_back(std::move(bill));
  return *FItems.back();
}

void TBills::Delete(int index) {
  Items(index);
  std::unique_ptr<TBill> doomed;
  const auto lock = LockTables();
  doomed = std::move(FItems[static_cast<std::size_t>(index)]);
  FItems.erase(FItems.begin() + index);
}

void TBills::Clear() {
  std::vector<std::unique_ptr<TBill>> doomed;
  const auto lock = LockTables();
  doomed.swap(FItems);
}

const TBill* TBills::FindByCode(std::int32_t code) const {
  for (const auto& bill : FItems) {
    if (bill->Code() == code) return bill.get();
  }
  return nullptr;
}

TBill* TBills::FindByCode(std::int32_t code) {
  return const_cast<TBill*>(std::as_const(*this).FindByCode(code));
}

void TBills::LoadDefaults(int kind) {
  Clear();
  for (const TDefaultBill& row : DefaultBills(kind)) {
    TBill& bill = Add();
    bill.SetCode(row.Code);
    bill.SetValue(row.Value);
  }
}

void TBills::LoadFromXml(const TXmlItem& element) {
  Clear();
  for (int i = 0; i < element.Count(); ++i) {
    const TXmlItem& entry = element.Items(i);
    if (!entry.IsNamed("Bill")) continue;
    TBill& bill = Add();
    for (int j = 0; j < entry.Count(); ++j) {
      const TXmlItem& field = entry.Items(j);
      if (field.IsNamed("Code")) bill.SetCode(StrToInt(field.Text()));
      if (field.IsNamed("Value")) bill.SetValue(StrToInt(field.Text()));
    }
  }
}

void TBills::SaveToXml(TXmlItem& element) const {
  for (const auto& bill : FItems) {
    TXmlItem& entry = AddElement(element, "Bill");
    AddElement(entry, "Code", IntToStr(bill->Code()));
    AddElement(entry, "Value", IntToStr(bill->Value()));
  }
}

}  // namespace notarel
