// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace krumlix {

/// The rules, in two parts: the picture of Tarvil's poses stands between them.
inline constexpr const char *RulesTextPart1 = R"(TARVIL EXPLAINED

You are Tarvil, the brave hunter at the bottom
middle of the screen. Atomically mutated green
elephants with fly-wings fly in from the left
and the right at the top, and killer bees attack
from both sides at the bottom. Survive for
three minutes by shooting bees and elephants,
and collect as many points as you can.

HOW TO PLAY

The left and right arrow keys change Tarvil's
aim, and the space bar shoots. When Tarvil dies,
or when the three minutes are over, press Enter.

LEVELS

There are five levels of difficulty. You can
define a level of your own with the 'User
defined' option, but a 'User defined' run can
never enter the highscore.

POINT SYSTEM

Every bee you shoot gives 3 points. An elephant
gives more points the faster you shoot it.
Tarvil has five positions for shooting an
elephant, counted in the direction the elephant
is heading:

  Position 1 gives 7 points
  Position 2 gives 5 points
  Position 3 gives 3 points
  Position 4 gives 2 points
  Position 5 gives 0 points)";

inline constexpr const char *RulesTextPart2 = R"(An elephant that gets all the way across the
screen costs you 10 points, and a shot that hits
nothing costs 2 points. The most points come
from being fast and accurate.

BONUS SYSTEM

Bonus points are given only on the levels
'Champion', 'God' and 'Tarvil'.

'Dygtig' bonus, 100 points: a complete 3-minute
run without any elephant leaving the screen, and
a hitrate of 91,00% or more.

'Hardcore' bonus, 200 points: no elephant
crosses the middle of the screen (all are shot
in position 1, 2 or 3), and a hitrate of 93,00%
or more.

'Ultra-hardcore' bonus, 300 points: all
elephants are shot in position 1 or 2, and a
hitrate of 95,00% or more.

HITRATE

The hitrate matters only for the bonus, not for
the highscore, which is ranked by points alone.

EFFICIENCY

The efficiency has no influence on your place in
the highscore. It is your actual score in
percent of the points you could have made by
shooting every elephant in position 1 (7 points
each) without a single missed shot.

STATISTICS

The statistics show in which positions you shot
the elephants, how many shots you missed, how
your points were spread over the run, and your
efficiency - for your latest run and for each of
the ten entries of the highscore.

SOUNDS

You can choose your own sounds in the 'choose
sounds' menu. Each sound can be switched on or
off, a set of sounds can be saved as a scheme,
and you switch between schemes with the
drop-down box. New schemes are announced on
Tarvil's home page.

CLEAR THE HIGHSCORE

The 'clear scores' button clears the highscore.
The highscore file is called 'tarvil.hig', so if
you make a copy of it with your file manager
first, you keep your old table. The official
highscore is on Tarvil's home page.

MAIL YOUR OWN HIGHSCORE

Tarvil's home page keeps the ten best players in
the world, and the best of them wins a prize
every year. Press the 'mail highscore' button in
the menu and follow the instructions.





            NOW GO GET'EM !!!)";

} // namespace krumlix
