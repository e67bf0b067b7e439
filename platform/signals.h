// Signal types of the control tree and the sound system, over Boost.Signals2.
//
// Behaviour the engine relies on (each is covered by the platform tests):
// - slots run in the order they were connected; a slot connected during an emission first runs at the next one;
// - dropping a Connection handle leaves the slot connected; a ScopedConnection cuts it when it dies;
// - a slot given as a bind expression over a Trackable object is cut when that object dies.
#pragma once

#include <boost/signals2/connection.hpp>
#include <boost/signals2/signal.hpp>
#include <boost/signals2/trackable.hpp>

namespace im {

template <class Signature> using Signal = boost::signals2::signal<Signature>;
using Connection = boost::signals2::connection;
using ScopedConnection = boost::signals2::scoped_connection;
using Trackable = boost::signals2::trackable;

} // namespace im
