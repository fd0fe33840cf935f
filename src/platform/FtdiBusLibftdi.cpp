// FTDI chips through libftdi 1 (and the libusb under it).
#include <libftdi1/ftdi.h>
#include <libusb.h>

#include <memory>

#include "platform/Exception.h"
#include "platform/FtdiBus.h"

const char* const kFtdiUdevRule = "/usr/lib/udev/rules.d/60-isp89-ftdi.rules";
const char* const kFtdiGroup = "plugdev";
const char* const kFtdiUnavailable = "";

namespace {

struct ContextFree {
  void operator()(ftdi_context* context) const { ftdi_free(context); }
};
using Context = std::unique_ptr<ftdi_context, ContextFree>;

struct ListFree {
  void operator()(ftdi_device_list* list) const { ftdi_list_free2(list); }
};
using DeviceList = std::unique_ptr<ftdi_device_list, ListFree>;

Context NewContext() {
  Context context(ftdi_new());
  if (!context) throw Exception("cannot start libftdi (out of memory or no USB support)");
  return context;
}

// Every device with FTDI's own ids (libftdi looks for 0403:6001, 6010, 6011, 6014, 6015).
DeviceList FindAll(ftdi_context* context) {
  ftdi_device_list* found = nullptr;
  if (ftdi_usb_find_all(context, &found, 0, 0) < 0) {
    throw Exception(std::string("cannot search USB for FTDI chips: ") +
                    ftdi_get_error_string(context));
  }
  return DeviceList(found);
}

// The strings need the device opened: without access (no udev rule) they stay empty.
FtdiChipInfo Describe(ftdi_context* context, libusb_device* device) {
  FtdiChipInfo info;
  libusb_device_descriptor descriptor{};
  if (libusb_get_device_descriptor(device, &descriptor) == 0) {
    info.vendorId = descriptor.idVendor;
    info.productId = descriptor.idProduct;
    info.family = &FtdiFamily::ForRelease(descriptor.bcdDevice);
  }
  char manufacturer[128] = "", description[128] = "", serial[128] = "";
  if (ftdi_usb_get_strings(context, device, manufacturer, sizeof manufacturer, description,
                           sizeof description, serial, sizeof serial) == 0) {
    info.manufacturer = manufacturer;
    info.description = description;
    info.serialNumber = serial;
  }
  return info;
}

libusb_device* Find(ftdi_context* context, ftdi_device_list* list, const FtdiChipInfo& chosen) {
  for (ftdi_device_list* entry = list; entry; entry = entry->next) {
    const FtdiChipInfo info = Describe(context, entry->dev);
    if (info.vendorId != chosen.vendorId || info.productId != chosen.productId) continue;
    if (chosen.serialNumber.empty() || info.serialNumber == chosen.serialNumber) return entry->dev;
  }
  return nullptr;
}

class LibFtdiDevice : public FtdiDevice {
 public:
  LibFtdiDevice(Context context, const FtdiFamily& family)
      : context_(std::move(context)), family_(family) {}
  // Back to serial mode; closing re-attaches the kernel's serial driver.
  ~LibFtdiDevice() override {
    ftdi_set_bitmode(context_.get(), 0, BITMODE_RESET);
    ftdi_usb_close(context_.get());
  }

  const FtdiFamily& Family() const override { return family_; }
  bool SetBitMode(uint8_t outputs, Mode mode) override {
    const unsigned char bits = mode == Mode::SyncBitBang ? BITMODE_SYNCBB : BITMODE_RESET;
    return ftdi_set_bitmode(context_.get(), outputs, bits) == 0;
  }
  bool SetBaudRate(int rate) override { return ftdi_set_baudrate(context_.get(), rate) == 0; }
  bool SetLatencyTimer(uint8_t ms) override {
    return ftdi_set_latency_timer(context_.get(), ms) == 0;
  }
  bool SetRts(bool asserted) override { return ftdi_setrts(context_.get(), asserted ? 1 : 0) == 0; }
  bool Purge() override { return ftdi_tcioflush(context_.get()) == 0; }
  int Write(const uint8_t* bytes, int count) override {
    return ftdi_write_data(context_.get(), bytes, count);
  }
  bool SetReadChunkSize(uint32_t bytes) override {
    return ftdi_read_data_set_chunksize(context_.get(), bytes) == 0;
  }
  int Read(uint8_t* bytes, int count) override {
    return ftdi_read_data(context_.get(), bytes, count);
  }
  std::string LastError() const override { return ftdi_get_error_string(context_.get()); }

 private:
  Context context_;
  const FtdiFamily& family_;
};

// libusb's own open says why a device cannot be opened, which libftdi's does not.
bool MayOpen(libusb_device* device, PortOpenFailure& failure) {
  libusb_device_handle* handle = nullptr;
  const int status = libusb_open(device, &handle);
  if (status == 0) {
    libusb_close(handle);
    return true;
  }
  failure.cause = status == LIBUSB_ERROR_ACCESS      ? PortOpenFailure::Cause::UsbPermission
                  : status == LIBUSB_ERROR_NO_DEVICE ? PortOpenFailure::Cause::NoDevice
                                                     : PortOpenFailure::Cause::Other;
  failure.reason = libusb_strerror(static_cast<libusb_error>(status));
  failure.group = kFtdiGroup;
  return false;
}

}  // namespace

std::vector<FtdiChipInfo> ListFtdiChips() {
  Context context = NewContext();
  DeviceList list = FindAll(context.get());
  std::vector<FtdiChipInfo> chips;
  for (ftdi_device_list* entry = list.get(); entry; entry = entry->next) {
    chips.push_back(Describe(context.get(), entry->dev));
  }
  return chips;
}

std::unique_ptr<FtdiDevice> OpenFtdiChip(const FtdiChipInfo& chosen, int interfaceIndex,
                                         PortOpenFailure& failure) {
  Context context = NewContext();
  DeviceList list = FindAll(context.get());
  libusb_device* device = Find(context.get(), list.get(), chosen);
  if (!device) {
    failure.cause = PortOpenFailure::Cause::NoDevice;
    failure.reason = "the FTDI chip is no longer attached";
    return nullptr;
  }
  if (!MayOpen(device, failure)) return nullptr;
  context->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
  ftdi_set_interface(context.get(), static_cast<ftdi_interface>(INTERFACE_A + interfaceIndex));
  const int status = ftdi_usb_open_dev(context.get(), device);
  if (status < 0) {
    // -5: the interface could not be claimed: another program has it.
    failure.cause = status == -5 ? PortOpenFailure::Cause::InUse : PortOpenFailure::Cause::Other;
    failure.reason = ftdi_get_error_string(context.get());
    return nullptr;
  }
  const FtdiFamily& family = *chosen.family;
  return std::make_unique<LibFtdiDevice>(std::move(context), family);
}
