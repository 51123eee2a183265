#include "removal/restart/AdministratorsOnlyDescriptor.h"

namespace {

// A security descriptor in the self-relative form Windows stores: owner
// Administrators; a protected DACL giving SYSTEM and Administrators full
// control, passed on to what is inside. Laid out by hand, it needs none of
// the descriptor-building calls that Windows NT 4.0 lacks.
struct Sid1 {
  BYTE revision, count, authority[6];
  DWORD sub[1];
};
struct Sid2 {
  BYTE revision, count, authority[6];
  DWORD sub[2];
};
struct SystemAce {
  BYTE type, flags;
  WORD size;
  DWORD mask;
  Sid1 sid;
};
struct AdministratorsAce {
  BYTE type, flags;
  WORD size;
  DWORD mask;
  Sid2 sid;
};
struct Descriptor {
  BYTE revision, reserved;
  WORD control;
  DWORD owner, group, sacl, dacl;
  Sid2 ownerSid;
  BYTE aclRevision, aclReserved;
  WORD aclSize, aceCount, aclReserved2;
  SystemAce system;
  AdministratorsAce administrators;
};

const BYTE kInherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
const DWORD kDaclAt = 20 + sizeof(Sid2);
const Descriptor kDescriptor = {
    1,
    0,
    SE_SELF_RELATIVE | SE_DACL_PRESENT | SE_DACL_PROTECTED,
    20,  // the owner follows the header
    0,
    0,
    kDaclAt,
    {1, 2, {0, 0, 0, 0, 0, 5}, {32, 544}},  // S-1-5-32-544, Administrators
    2,
    0,
    sizeof(Descriptor) - kDaclAt,
    2,
    0,
    {ACCESS_ALLOWED_ACE_TYPE,
     kInherited,
     sizeof(SystemAce),
     FILE_ALL_ACCESS,
     {1, 1, {0, 0, 0, 0, 0, 5}, {18}}},  // S-1-5-18, SYSTEM
    {ACCESS_ALLOWED_ACE_TYPE,
     kInherited,
     sizeof(AdministratorsAce),
     FILE_ALL_ACCESS,
     {1, 2, {0, 0, 0, 0, 0, 5}, {32, 544}}},
};
static_assert(sizeof(Descriptor) == 88, "laid out as Windows reads it");

}  // namespace

PSECURITY_DESCRIPTOR AdministratorsOnlyDescriptor() {
  return const_cast<Descriptor*>(&kDescriptor);
}
