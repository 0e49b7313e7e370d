// Texts of the statuses the stand-in drivers return.
#include "sim/bench.h"

#include <cstdio>

namespace sim {
namespace {

struct StatusText {
    ViStatus status;
    const char* text;
};

constexpr StatusText kTexts[] = {
    {VI_SUCCESS, "Нет ошибок"},
    {VI_ERROR_RSRC_NFOUND, "Ресурс не найден"},
    {VI_ERROR_TMO, "Превышено время ожидания"},
    {VI_ERROR_ALLOC, "Недостаточно памяти"},
    {VI_ERROR_RSRC_LOCKED, "Ресурс заблокирован другим сеансом"},
    {VI_ERROR_INV_OBJECT, "Неверный дескриптор сеанса"},
    {VI_ERROR_NSUP_ATTR, "Атрибут не поддерживается"},
    {kStatusNoBench, "Имитатор стенда не загружен"},
    {kStatusBadChannel, "Неверный номер канала"},
    {kStatusBadStage, "Неверный номер звена"},
    {kStatusNoModule, "На этой позиции нет модуля"},
    {kStatusNotConnected, "Сеанс не связан с модулем"},
    {kStatusNoSession, "Запись калибровки не принадлежит открытому сеансу"},
    {kStatusFlashRead, "Ошибка чтения flash"},
    {kStatusFlashWrite, "Ошибка записи flash"},
    {kStatusBadParameter, "Неверный параметр"},
    {kStatusNotCarrier, "Ресурс не является носителем мезонинов"},
    {kStatusNoReading, "Нет измерения"},
    {kStatusLockNotHeld, "Ресурс не заблокирован этим сеансом"},
    {kStatusBadFormat, "Формат не поддерживается"},
    {kStatusFlashUnreadable, "Файл flash недоступен для чтения"},
    {kStatusFlashForeign, "Файл flash принадлежит другому модулю"},
    {kStatusFlashTooLarge, "Файл flash слишком велик"},
};

} // namespace

std::string statusText(ViStatus status)
{
    for (const StatusText& t : kTexts)
        if (t.status == status) return t.text;
    char buf[80];
    std::snprintf(buf, sizeof buf, status < 0 ? "Неизвестная ошибка 0x%08X" : "Предупреждение 0x%08X",
                  static_cast<unsigned>(status));
    return buf;
}

} // namespace sim
