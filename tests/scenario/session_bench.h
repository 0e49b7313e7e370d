// Building benches for the discovery, selection and session scenarios.
#pragma once

#include "drivers/tvbase.h"
#include "sim/bench.h"

#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace scene {

inline constexpr ViUInt16 kOurMaker = kCarrierManufacturer;
inline constexpr ViUInt16 kOtherMaker = 0x0FFF;

// A module with nominal stage values and a small R0 on each channel.
inline sim::Mezzanine module(int position, int model)
{
    sim::Mezzanine m;
    m.position = position;
    m.model = model;
    const int channels = model == sim::kModelKsil5 ? 5 : 2;
    for (int c = 0; c < channels; ++c) {
        sim::Channel ch;
        for (int k = 0; k < sim::kStages; ++k)
            ch.stage[static_cast<std::size_t>(k)] = static_cast<double>(1 << k) + 0.01 * (c + 1);
        ch.r0 = 0.05;
        m.channels.push_back(ch);
    }
    return m;
}

inline sim::Instrument vxi(std::string address, ViInt16 slot, ViInt16 crateLa, ViUInt16 maker, ViUInt16 model,
                           ViInt16 la = 8)
{
    sim::Instrument i;
    i.address = std::move(address);
    i.intfType = VI_INTF_VXI;
    i.slot = slot;
    i.crateLa = crateLa;
    i.la = la;
    i.manufacturer = maker;
    i.model = model;
    return i;
}

// Our VXI carrier (model 0x10D unless given) with modules at the given positions.
inline sim::Instrument carrier(std::string address, ViInt16 slot, std::vector<std::pair<int, int>> modules = {},
                               ViUInt16 model = 0x10D, ViInt16 crateLa = 0)
{
    sim::Instrument i = vxi(std::move(address), slot, crateLa, kOurMaker, model);
    i.carrier = true;
    for (const auto& [pos, code] : modules)
        i.mezzanines.push_back(module(pos, code));
    return i;
}

inline sim::Instrument chassis(std::string address, ViUInt16 intf, std::string idn, std::string ip = {})
{
    sim::Instrument i;
    i.address = std::move(address);
    i.intfType = intf;
    i.idn = std::move(idn);
    i.tcpipAddress = std::move(ip);
    i.carrier = true;
    return i;
}

inline void add(std::initializer_list<sim::Instrument> instruments)
{
    for (const auto& i : instruments)
        sim::bench().instruments.push_back(i);
}


// Module driver calls of the journal, without its message and record look-ups.
inline std::vector<std::string> moduleCalls()
{
    std::vector<std::string> out;
    for (const auto& line : sim::journal("tvksil2_"))
        if (line.rfind("tvksil2_error_message", 0) != 0 && line.rfind("tvksil2_get_attribute", 0) != 0)
            out.push_back(line);
    return out;
}

inline std::string fmt(const char* format, unsigned a, unsigned b = 0, unsigned c = 0)
{
    char buf[256];
    std::snprintf(buf, sizeof buf, format, a, b, c);
    return buf;
}

} // namespace scene
