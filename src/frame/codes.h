#pragma once

#include <QString>

// Code values of the transit store: kinds of transit, message statuses, message types.
namespace velmora::frame {

// TRANZYTY.RODZAJ
inline constexpr int kRodzajWywoz = 0;   // departure: placing goods under transit
inline constexpr int kRodzajPrzywoz = 1; // arrival: end of transit

// TRANZYTY_POZYCJE.STATUS, copied to TRANZYTY.STATUS
inline constexpr int kStatusNowy = 0;
inline constexpr int kStatusZmieniony = 1;
inline constexpr int kStatusWyslany = 2;
inline constexpr int kStatusOdebranyOdmowa = 10;  // a decision refusing the request
inline constexpr int kStatusOdebrany = 11;

// The placeholder of an own number or transit number not assigned yet.
inline const QString kAuto = QStringLiteral("<AUTO>");
// TRANZYTY.TYP until the first message is stored.
inline const QString kTypBrak = QStringLiteral("0");

namespace typ {
// Outgoing
inline const QString IE007 = QStringLiteral("IE007");
inline const QString IE013 = QStringLiteral("IE013");
inline const QString IE014 = QStringLiteral("IE014");
inline const QString IE015 = QStringLiteral("IE015");
inline const QString IE044 = QStringLiteral("IE044");
inline const QString IE054 = QStringLiteral("IE054");
inline const QString IE141 = QStringLiteral("IE141");
// Incoming
inline const QString IE004 = QStringLiteral("IE004");
inline const QString IE005 = QStringLiteral("IE005");
inline const QString IE008 = QStringLiteral("IE008");
inline const QString IE009 = QStringLiteral("IE009");
inline const QString IE016 = QStringLiteral("IE016");
inline const QString IE025 = QStringLiteral("IE025");
inline const QString IE028 = QStringLiteral("IE028");
inline const QString IE029 = QStringLiteral("IE029");
inline const QString IE043 = QStringLiteral("IE043");
inline const QString IE045 = QStringLiteral("IE045");
inline const QString IE051 = QStringLiteral("IE051");
inline const QString IE055 = QStringLiteral("IE055");
inline const QString IE058 = QStringLiteral("IE058");
inline const QString IE060 = QStringLiteral("IE060");
inline const QString IE062 = QStringLiteral("IE062");
inline const QString IE140 = QStringLiteral("IE140");
inline const QString IE906 = QStringLiteral("IE906");
inline const QString IE928 = QStringLiteral("IE928");
// Platform documents
inline const QString UPO = QStringLiteral("UPO");
inline const QString UPP = QStringLiteral("UPP");
inline const QString NPP = QStringLiteral("NPP");
}  // namespace typ

}  // namespace velmora::frame
