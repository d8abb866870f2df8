/* ORVEL: everything a program library (prog.dll) compiles against. */
#ifndef ORVEL_H
#define ORVEL_H

#include "ov_types.h"
#include "ov_program.h"
#include "ov_services.h"

#endif
