// Control values checked out from the host for one command.
//
// The object checks out a fixed list of controls, in list order, at the
// command's time, and checks back in every record whose check-out ran (the
// failed one included: the host expects it back), in the same order, on
// every path: checkIn() reports the check-ins' first error, and the
// destructor checks in whatever checkIn() did not, for a command abandoned by
// a thrown error. Records whose check-out never ran were never seen by the
// host and are not handed to it. Lives on the stack of one command handler.
#pragma once

#include <array>
#include <cstddef>

#include "AE_Effect.h"

template <std::size_t N>
class ParamCheckout {
 public:
  ParamCheckout(const PF_InData* in_data, const std::array<PF_ParamIndex, N>& order)
      : in_data_(in_data), order_(order), records_{} {}
  ~ParamCheckout() { (void)checkIn(PF_Err_NONE); }
  ParamCheckout(const ParamCheckout&) = delete;
  ParamCheckout& operator=(const ParamCheckout&) = delete;

  // Checks out each control in order while the host reports no error;
  // returns the first error.
  PF_Err checkOut() {
    PF_Err err = PF_Err_NONE;
    for (std::size_t i = 0; i < N && err == PF_Err_NONE; ++i) {
      err = in_data_->inter.checkout_param(in_data_->effect_ref, order_[i], in_data_->current_time,
                                           in_data_->time_step, in_data_->time_scale, &records_[i]);
      ++attempted_;
    }
    return err;
  }

  // Checks in every record still out, in check-out order; every check-in
  // runs. Returns `err` if it is an error, otherwise the first check-in error.
  PF_Err checkIn(PF_Err err) {
    for (; checkedIn_ < attempted_; ++checkedIn_) {
      const PF_Err checkinErr =
          in_data_->inter.checkin_param(in_data_->effect_ref, &records_[checkedIn_]);
      if (err == PF_Err_NONE) {
        err = checkinErr;
      }
    }
    return err;
  }

  // Points params[index] at the record of each listed control; other
  // entries are left alone. Every listed index must be below M. The records
  // hold the host's values only after a successful checkOut().
  template <std::size_t M>
  void byIndex(const PF_ParamDef* (&params)[M]) const {
    for (std::size_t i = 0; i < N; ++i) {
      params[order_[i]] = &records_[i];
    }
  }

 private:
  const PF_InData* in_data_;
  const std::array<PF_ParamIndex, N> order_;
  std::array<PF_ParamDef, N> records_;
  std::size_t attempted_ = 0;  // check-outs that ran, the failed one included
  std::size_t checkedIn_ = 0;
};
