#include "result_codes.h"

#include <map>

#include "cp1251.h"

namespace notarel {

const std::string& ResultMessage(std::int32_t code) {
  // Made on first use and never destroyed: a driver with static storage
  // duration (a program's global) is destroyed at exit, after statics made
  // later than it, and its destruction's inhibit exchange still sets results.
  static const auto& kMessages = *new const std::map<std::int32_t, std::string>([] {
    const std::pair<std::int32_t, const char*> utf8[] = {
        {kResultOk, "Ошибок нет"},
        {kResultNoLink, "Нет связи"},
        {kResultPortOpenError, "Ошибка открытия порта. "},
        {kResultCrcError, "Ошибка CRC"},
        // The device's word "соотвествует" is kept as the driver has always shown it.
        {kResultBadFrame, "Кадр не соотвествует протоколу"},
        {kResultUnknownReply, "Неизвестный код ответа"},
        {kResultUnknownCommand, "Неизвестная команда"},
        {kResultBadBaudRate, "Скорость обмена не поддерживается устройством"},
        {kResultBadCountryIndex, "Неверный индекс страны"},
        {kResultBadCurrencyIndex, "Неверный индекс валюты"},
        {kResultFileMissing, "Файл не существует"},
        {kResultBadFileFormat, "Неверный формат файла"},
        {kResultBadCountryCode, "Неверный код страны"},
        {kResultBadCurrencyName, "Неверное название валюты"},
    };
    std::map<std::int32_t, std::string> table;
    for (const auto& [c, text] : utf8) table[c] = Utf8ToCp1251(text);
    return table;
  }());
  static const auto& kNone = *new const std::string;
  const auto it = kMessages.find(code);
  return it == kMessages.end() ? kNone : it->second;
}

}  // namespace notarel
