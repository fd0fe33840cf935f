#include "device/ChipFailure.h"

ChipFailure::ChipFailure(Kind kind, Facts facts)
    : Exception(Describe(kind, facts)), kind_(kind), facts_(facts) {}

std::string ChipFailure::SignatureProblem(const Facts& facts) {
  const std::string bytes = ChipCatalog::SignatureText(facts.signature);
  if (!facts.found || !facts.chip) {
    return "the target's signature reads " + bytes + ": " +
           ChipCatalog::ExplainUnknown(facts.signature);
  }
  return "the target's signature " + bytes + " is the " + facts.found->name + "'s, not the " +
         facts.chip->name + "'s (" + ChipCatalog::SignatureText(facts.chip->SignatureWord()) + ")";
}

std::string ChipFailure::HiddenSignatureProblem(const Facts& facts) {
  return "the target's signature reads " + ChipCatalog::SignatureText(facts.signature) +
         " and lock bit 2 is programmed: a chip locked in mode 3 or 4 may hide its signature, "
         "and only a chip erase (flash and lock bits) clears the lock";
}

std::string ChipFailure::LockBitsText(int8_t bits) {
  return "LB1=" + std::to_string(bits & 1) + " LB2=" + std::to_string((bits >> 1) & 1) +
         " LB3=" + std::to_string((bits >> 2) & 1);
}

std::string ChipFailure::ReadProtectionCost(ChipRequest::Operation operation) {
  switch (operation) {
    case ChipRequest::Operation::Verify:
      return "so its flash cannot be compared with an image";
    case ChipRequest::Operation::BlankCheck:
      return "so it would pass a blank check whatever it holds";
    default:
      return "which is no copy of its flash";
  }
}

std::string ChipFailure::Describe(Kind kind, const Facts& facts) {
  const std::string chip = facts.chip ? facts.chip->name : "chip";
  switch (kind) {
    case Kind::OtherChip:
    case Kind::UnknownChip:
      return SignatureProblem(facts);
    case Kind::HiddenSignature:
      return HiddenSignatureProblem(facts);
    case Kind::ReadProtected:
      return "the " + chip +
             "'s read-out protection is on (lock bit 2 programmed): it reads back as FF, " +
             ReadProtectionCost(facts.operation);
    case Kind::ImageFolds:
      return "the image " + ImageCheck::DescribeFold(facts.foldingAddress, facts.chip->flashSize,
                                                     facts.chip->name);
    case Kind::Mismatch: {
      const bool blank = facts.operation == ChipRequest::Operation::Erase ||
                         facts.operation == ChipRequest::Operation::BlankCheck;
      return std::string(blank ? "blank check" : "verify") + " failed: " +
             ImageCheck::DescribeDifference(facts.difference, facts.compared,
                                            blank ? "erased" : "image");
    }
    case Kind::LockBitsNotTaken:
      return "the lock bits did not take: asked for mode " + std::to_string(facts.lockMode) +
             ", the chip reads " + LockBitsText(facts.lockBits);
    case Kind::Stopped:
      break;
  }
  return "stopped by the user";
}
