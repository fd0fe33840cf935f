#pragma once

#include <cstdint>
#include <string>

#include "platform/FtdiFamily.h"

// One interface of an FTDI USB chip, opened for bit-bang: the libftdi calls the programmer
// makes, so that libftdi's back end (FtdiBusLibftdi.cpp) and the simulated chip (src/sim)
// are the same kind of object. Destroying it leaves the chip in serial mode and gives it back
// to the system's serial driver. One thread at a time.
class FtdiDevice {
 public:
  enum class Mode { Serial, SyncBitBang };

  virtual ~FtdiDevice() = default;

  virtual const FtdiFamily& Family() const = 0;
  // ftdi_set_bitmode: `outputs` has a 1 for each of D0-D7 the chip drives.
  virtual bool SetBitMode(uint8_t outputs, Mode mode) = 0;
  // ftdi_set_baudrate; in bit-bang mode the pins follow FtdiFamily::StateRate(rate).
  virtual bool SetBaudRate(int rate) = 0;
  // ftdi_set_latency_timer: a partly filled packet goes to the host after this long.
  virtual bool SetLatencyTimer(uint8_t ms) = 0;
  // ftdi_setrts: in serial mode the RTS# pin is low while RTS is asserted.
  virtual bool SetRts(bool asserted) = 0;
  // ftdi_tcioflush: drops what the chip's buffers hold, both ways.
  virtual bool Purge() = 0;
  // ftdi_write_data: returns once the chip took every byte: the count, or < 0 on failure.
  virtual int Write(const uint8_t* bytes, int count) = 0;
  // ftdi_read_data_set_chunksize: each USB transfer of a read asks for this many bytes, the
  // status bytes included, and ends when they came or a packet fell short.
  virtual bool SetReadChunkSize(uint32_t bytes) = 0;
  // ftdi_read_data: up to `count` bytes the chip sent, 0 when it had none before its latency
  // timer ran out; < 0 on failure.
  virtual int Read(uint8_t* bytes, int count) = 0;
  // libftdi's words for the last failure.
  virtual std::string LastError() const = 0;
};
