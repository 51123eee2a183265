// Owners, DACLs and the access check, as Windows has them for files, folders
// and registry keys alike: what the removal reads of who may change an entry,
// and what a pupil may do to it.
#include <algorithm>
#include <cstring>

#include "SimState.h"

namespace sim {
namespace {

const char kAdministrators[] = "S-1-5-32-544";
const char kSystem[] = "S-1-5-18";
const char kCreatorOwner[] = "S-1-3-0";
const char kOwnerRights[] = "S-1-3-4";

// Everyone, Authenticated Users and Users: every account belongs to them.
bool EveryonesGroup(const std::string& sid) {
  return sid == "S-1-1-0" || sid == "S-1-5-11" || sid == "S-1-5-32-545";
}

void Put(std::string& bytes, DWORD value, size_t width) {
  bytes.append(reinterpret_cast<const char*>(&value), width);
}

}  // namespace

std::string SidBytes(const std::string& account) {
  std::vector<unsigned long long> parts;
  if (account.compare(0, 4, "S-1-") == 0) {
    for (size_t at = 4; at <= account.size();) {
      const size_t end = std::min(account.find('-', at), account.size());
      parts.push_back(std::stoull(account.substr(at, end - at)));
      at = end + 1;
    }
  } else if (account.empty()) {
    parts = {5, 32, 544};
  } else {
    parts = {5, 21, std::hash<std::string>()(account) & 0x7fffffff};
  }
  std::string bytes = {1, char(parts.size() - 1), 0, 0, 0, 0, 0, char(parts[0])};
  for (size_t i = 1; i < parts.size(); ++i) Put(bytes, DWORD(parts[i]), 4);
  return bytes;
}

std::string SidText(const BYTE* bytes, size_t size, size_t offset) {
  if (offset + 8 > size) return "";
  const size_t count = bytes[offset + 1];
  if (bytes[offset] != 1 || offset + 8 + 4 * count > size) return "";
  unsigned long long authority = 0;
  for (int i = 2; i < 8; ++i) authority = authority << 8 | bytes[offset + i];
  std::string text = "S-1-" + std::to_string(authority);
  for (size_t i = 0; i < count; ++i) {
    DWORD sub;
    std::memcpy(&sub, bytes + offset + 8 + 4 * i, 4);
    text += "-" + std::to_string(sub);
  }
  return text;
}

bool Privileged(const std::string& account) {
  return account.empty() || account == kAdministrators || account == kSystem;
}

bool SameAccount(const std::string& a, const std::string& b) { return SidBytes(a) == SidBytes(b); }

std::vector<Ace> Dacl(const std::vector<const Security*>& chain, bool container,
                      const GenericRights& generic) {
  const Security& own = *chain.front();
  std::vector<Ace> dacl;
  // The entry's own ACEs, generic rights as stored (SetSecurityInfo keeps them).
  for (const Ace& ace : own.aces) dacl.push_back(ace);
  // What it inherits: ACEs of the folders above, while nothing on the way is
  // protected, nearest first; a container passes on what it inherits with
  // CONTAINER_INHERIT_ACE, and files take OBJECT_INHERIT_ACE ones (MS-DTYP
  // 2.5.3.4.1, ComputeACL: inherited ACEs follow the explicit ones; generic
  // rights mapped, CREATOR OWNER made the new owner).
  for (size_t level = 1; level < chain.size() && !chain[level - 1]->protectedDacl; ++level) {
    for (const Ace& ace : chain[level]->aces) {
      const bool propagates = !(ace.flags & NO_PROPAGATE_INHERIT_ACE) || level == 1;
      if (!propagates) continue;
      const BYTE inheritable = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
      const bool applies =
          (ace.flags & (container ? CONTAINER_INHERIT_ACE : OBJECT_INHERIT_ACE)) != 0;
      // A folder keeps an ACE for the files below it, to pass on only.
      const bool passedOn =
          container && (ace.flags & OBJECT_INHERIT_ACE) && !(ace.flags & NO_PROPAGATE_INHERIT_ACE);
      if (!applies && !passedOn) continue;
      const BYTE onward = container && !(ace.flags & NO_PROPAGATE_INHERIT_ACE)
                              ? BYTE(ace.flags & inheritable)
                              : BYTE(0);
      // Made out to the creator when the entry was made; a later owner does not change it.
      const bool creator = ace.account == kCreatorOwner;
      if (applies) {
        // CREATOR OWNER becomes the owner, and is kept to pass on.
        dacl.push_back({creator ? own.creator : ace.account, generic.Map(ace.mask), ace.type,
                        BYTE(INHERITED_ACE | (creator ? 0 : onward))});
        if (creator && onward)
          dacl.push_back(
              {ace.account, ace.mask, ace.type, BYTE(INHERITED_ACE | INHERIT_ONLY_ACE | onward)});
      } else {
        dacl.push_back(
            {ace.account, ace.mask, ace.type, BYTE(INHERITED_ACE | INHERIT_ONLY_ACE | onward)});
      }
    }
  }
  return dacl;
}

DWORD GenericRights::Map(DWORD mask) const {
  const DWORD bits[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_EXECUTE, GENERIC_ALL};
  const DWORD rights[] = {read, write, execute, all};
  for (int i = 0; i < 4; ++i)
    if (mask & bits[i]) mask = (mask & ~bits[i]) | rights[i];
  return mask;
}

DWORD Granted(const std::vector<Ace>& dacl, const std::string& owner, const std::string& account,
              const GenericRights& generic) {
  if (Privileged(account)) return generic.all;
  // The owner may read and rewrite the DACL unless an OWNER RIGHTS ACE says
  // what the owner gets (Microsoft, "SID Strings": OWNER RIGHTS, Vista on).
  const bool owns = SameAccount(owner, account);
  bool ownerRightsSaid = false;
  DWORD granted = 0, denied = 0;
  // Each ACE in order; a denial holds for what no earlier ACE granted
  // (Microsoft, "How DACLs Control Access to an Object").
  for (const Ace& ace : dacl) {
    if (ace.flags & INHERIT_ONLY_ACE) continue;
    const bool ownerRights = ace.account == kOwnerRights;
    ownerRightsSaid |= ownerRights;
    const bool matches =
        ownerRights ? owns : SameAccount(ace.account, account) || EveryonesGroup(ace.account);
    if (!matches) continue;
    const DWORD mask = generic.Map(ace.mask);
    if (ace.type == ACCESS_DENIED_ACE_TYPE)
      denied |= mask & ~granted;
    else
      granted |= mask & ~denied;
  }
  if (owns && !ownerRightsSaid) granted |= READ_CONTROL | WRITE_DAC;
  return granted;
}

bool MayChangeAt(const std::vector<const Security*>& chain, bool container,
                 const std::string& account, DWORD changeRights, const GenericRights& generic) {
  if (Privileged(account)) return true;
  changeRights |= WRITE_DAC | WRITE_OWNER;
  const Security& own = *chain.front();
  // The owner's own say is in Granted: WRITE_DAC, unless OWNER RIGHTS limits it.
  if (Granted(Dacl(chain, container, generic), own.owner, account, generic) & changeRights)
    return true;
  // Above: who may delete it from its folder, and, while it inherits, who
  // may rewrite the DACL of a folder above so that it flows down.
  for (size_t level = 1; level < chain.size(); ++level) {
    const std::vector<const Security*> above(chain.begin() + level, chain.end());
    const DWORD rights =
        Granted(Dacl(above, true, generic), above.front()->owner, account, generic);
    if (level == 1 && (rights & FILE_DELETE_CHILD)) return true;
    if (chain[level - 1]->protectedDacl) return false;
    if (rights & (WRITE_DAC | WRITE_OWNER)) return true;
  }
  return false;
}

std::string DescriptorBytes(const Security& security, const std::vector<Ace>& dacl,
                            DWORD everything) {
  // SYSTEM and Administrators first, as every default descriptor has them.
  std::vector<Ace> aces = {{kSystem, everything, ACCESS_ALLOWED_ACE_TYPE, 0},
                           {kAdministrators, everything, ACCESS_ALLOWED_ACE_TYPE, 0}};
  aces.insert(aces.end(), dacl.begin(), dacl.end());
  std::string acl(8, '\0');
  for (const Ace& ace : aces) {
    const std::string sid = SidBytes(ace.account);
    acl += std::string{char(ace.type), char(ace.flags)};
    Put(acl, WORD(8 + sid.size()), 2);
    Put(acl, ace.mask, 4);
    acl += sid;
  }
  acl[0] = ACL_REVISION;
  acl[2] = char(acl.size());
  acl[3] = char(acl.size() >> 8);
  acl[4] = char(aces.size());
  const std::string owner = SidBytes(security.owner);
  const WORD control =
      SE_SELF_RELATIVE | SE_DACL_PRESENT | (security.protectedDacl ? SE_DACL_PROTECTED : 0);
  std::string bytes = {1, 0};
  Put(bytes, control, 2);
  Put(bytes, 20, 4);  // the owner follows the header
  Put(bytes, 0, 4);
  Put(bytes, 0, 4);
  Put(bytes, DWORD(20 + owner.size()), 4);
  return bytes + owner + acl;
}

}  // namespace sim
