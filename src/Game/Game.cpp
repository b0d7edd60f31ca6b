#include "Game/Game.h"

#include "Drawables/ViewVolume/ViewVolume.h"
#include "Game/GameFlags.h"
#include "Veltrix/GameEnd.h"
#include "Veltrix3D/RenderState.h"
#include "Window/Window.h"

#include <iostream>
#include <stdexcept>

namespace VX3D {
namespace {

constexpr const char* portalTextureFiles[] = {
    "res/Textures/EnergyG.png", "res/Textures/EnergyM.png", "res/Textures/EnergyT.png"};

// Screen texts: "AI moves" centred, the score lines at the top-left corner.
constexpr int aiMovesAnchor = 4;
constexpr float aiMovesSize = 0.1f;
constexpr int scoreAnchor = 6;
constexpr float scoreSize = 1.0f / 12.0f;
constexpr double scoreDuration = 5.0;

void refuseCount(const std::string& file, const char* key, int value) {
    throw std::logic_error("rules file " + file + ": Problem.Veltrix." + key + " = " +
                           std::to_string(value) +
                           " is invalid: the game plays two players with two ants each");
}

}  // namespace

std::pair<glm::vec3, glm::vec3> attackerPose(const Ant& attacker) {
    // A zero pose would send the attacked ant towards the field's corner.
    return attacker.plannedEnd().value_or(std::pair{attacker.position, attacker.facing});
}

void checkClientRules(const Veltrix::RuleOptions& rules, const std::string& file) {
    if (rules.players != 2) refuseCount(file, "players", rules.players);
    if (rules.antsPerPlayer != 2) refuseCount(file, "antsPerPlayer", rules.antsPerPlayer);
}

Game::Game(InputManager* input, Soundmanager* sounds, TextManager* text, Sun* sun,
           Environment* environment, Skybox* skybox, Fog* fog, FrameClock* clock,
           const glm::mat4& projection, Veltrix::GameRandom* random, bool aiOpponent,
           int movesPerAnt, const std::string& rulesFile, GameSetup setup)
    : input_(input),
      sounds_(sounds),
      text_(text),
      sun_(sun),
      environment_(environment),
      skybox_(skybox),
      fog_(fog),
      clock_(clock),
      random_(random),
      projection_(projection),
      startRandom_(Veltrix::randomPosition(*random)),
      options_(setup.rules ? *setup.rules : Veltrix::RuleOptions(rulesFile)),
      referee((checkClientRules(options_, rulesFile), Veltrix::makePlayerId(0, options_)), options_,
              *random),
      moves_(std::move(setup.moves)),
      recording_(std::move(setup.recording)),
      server_(std::move(setup.server)) {
    currentPlayer = referee.startingPlayer;
    GameFlags::viewedPlayer = 0;
    // A game left with "L" after "Enemy uncovered" must not hand the uncovered view to the
    // next one: its computer would play in the open for the whole game.
    GameFlags::enemyUncovered = false;
    if (server_) {
        // The referee's own set-up is replaced at once by what the seat was shown: food,
        // portals and enemy ants exist here only where the view has them.
        referee.state = boardFromView(server_->view);
        currentPlayer = nextPlayer = server_->view.turn;
        inputAllowed = currentPlayer == server_->start.seat;
        fixedViewer_ = server_->start.seat;
        GameFlags::viewedPlayer = server_->start.seat;
        matchRecordPath_ =
            std::filesystem::path("records") / ("match-" + server_->link->code() + "-seat" +
                                                std::to_string(server_->start.seat) + ".jsonl");
        keepInMatchRecord(Veltrix::Protocol::write(server_->start));
    }
    keyRegistrations_[0] = KeyActionRegistration(
        input_,
        input_->registerKeyAction(
            InputManager::pressAction, selectButton, [this] { selectAnt(); }, "Select Ant"));
    keyRegistrations_[1] =
        KeyActionRegistration(input_, input_->registerKeyAction(
                                          InputManager::releaseAction, selectButton,
                                          [this] { moveSelectedAnt(); }, "Move Selected Ant"));
    keyRegistrations_[2] = KeyActionRegistration(
        input_,
        input_->registerKeyAction(
            InputManager::pressAction, unselectKey, [this] { unselectAnt(); }, "Unselect Ant"));
    keyRegistrations_[3] = KeyActionRegistration(
        input_, input_->registerKeyAction(
                    InputManager::pressAction, handoverKey, [this] { takeDownHandover(); },
                    "Take Down Hand-over Screen"));
    mouseRegistration_ = MouseMovementRegistration(
        input_, input_->registerMouseMovement([this](glm::ivec2) { updateMoveIndicator(); },
                                              "Mouse Movement for Move Indicator"));

    const auto floor = std::make_shared<Floor>(options_.fieldWidth, options_.fieldHeight);
    for (Veltrix::PlayerId i = 0; i < options_.players; ++i)
        views.emplace(i,
                      std::make_unique<PlayerView>(i, options_, referee.state, movesPerAnt, floor));

    for (const auto& [cell, present] : referee.state.food)
        if (present) foods.emplace(cell, std::make_unique<Food>(cell));

    for (const char* file : portalTextureFiles) portalTextures_.emplace_back(file, 0);
    int k = 0;
    const float pairs = static_cast<float>(options_.noOfPortals);
    for (const auto& [entry, exit] : referee.state.portalEntries) {
        const float shade = pairs > 0.0f ? static_cast<float>(k) / pairs : 0.0f;
        portals.emplace(entry,
                        std::make_unique<Portal>(entry, exit, glm::vec4(0.5f, shade, shade, 1.0f),
                                                 portalTextures_[static_cast<std::size_t>(k % 3)]));
        ++k;
    }

    showScoreLine(currentPlayer);
    if (aiOpponent) ai = std::make_shared<AIData>(options_);
    updateFogVisibility();
    fogRefreshCount = 0;
}

Game::~Game() {
    try {
        abandon();
    } catch (const std::exception& e) {
        std::cerr << "WARNING: " << e.what() << std::endl;
    }
}

// ---- the turn flow ----

Veltrix::PlayerId Game::viewingPlayer() const {
    // A seat of a server's match has nothing else to show.
    if (server_) return server_->start.seat;
    if (fixedViewer_ && !RenderState::cheatView) return *fixedViewer_;
    if (ai && !RenderState::cheatView && !GameFlags::enemyUncovered) return 0;
    // Between two humans the screen keeps the view of the one who last took it over: the
    // automatic move of a player who cannot move does not flash that player's view.
    if (!ai && handoverScreen) return revealedPlayer_;
    return currentPlayer;
}

void Game::fixViewer(std::optional<Veltrix::PlayerId> player) {
    fixedViewer_ = player;
    GameFlags::viewedPlayer = player.value_or(0);
    updateFogVisibility();
}

void Game::finishShownMoveNow(FrameClock& clock) {
    if (moveEndTime < 0.0 || moveStartTime < 0.0) return;
    // A hair past the end, so the next update finds the move over whatever its rounding.
    const double ahead = moveEndTime - clock.current + 1e-3;
    if (ahead > 0.0) clock.skip(ahead);
}

void Game::update(const FrameClock& clock, InputManager& input) {
    // Once the key is up the cameras read Space again.
    if (handoverSpaceHeld_) handoverSpaceHeld_ = window::keyPressed(handoverKey);
    // Under the hand-over screen nobody steers a camera: the player leaving would move the
    // view of the one coming.
    const Camera::KeyDown keyDown = [this, &input](int code) {
        if (handoverPending) return false;
        if (code == cameraButton) return input.isDown(code);
        if (code == handoverKey && handoverSpaceHeld_) return false;
        return window::keyPressed(code);
    };
    // A seat of a server's match steers its own view also while the other side moves.
    const Veltrix::PlayerId steering = server_ ? server_->start.seat : currentPlayer;
    view(steering).update(clock, input, !handoverPending, keyDown);
    view(1 - steering).update(clock, input, false, keyDown);
    if (input.wasPressedThisFrame(tabKey)) selection.reset();
    periodicFogUpdate();
    if (moveEndTime >= 0.0 && moveStartTime >= 0.0 &&
        (clock.current - moveStartTime) / (moveEndTime - moveStartTime) >= 1.0)
        finishShownMove();
    if (moves_) takeSourcedMove();
    if (server_) takeServerMessages();
}

void Game::takeSourcedMove() {
    if (!inputAllowed || gameOver || moveEndTime >= 0.0 || moves_->exhausted()) return;
    const std::optional<SourcedMove> move = moves_->nextMove(referee, *random_);
    if (!move) return;
    std::cout << "Moving from the record" << std::endl;
    makeMove(move->ant, move->direction);
}

void Game::finishShownMove() {
    if (gameOver) {
        gameOverShown = true;
        if (GameFlags::enemyUncovered) {
            GameFlags::enemyUncovered = false;
            std::cout << "Enemy covered" << std::endl;
        }
    }
    moveStartTime = moveEndTime = -1.0;
    currentPlayer = nextPlayer;
    inputAllowed = !server_ || currentPlayer == server_->start.seat;
    // Once the end splash is up nobody moves again; the next turn is not begun. A move source
    // or a server gives every move itself, the computer's and a stuck player's included.
    if (!gameOverShown && !moves_ && !server_) {
        if (currentPlayer == 1 && ai) {
            text_->addText(aiMovesAnchor, {0.0f, 0.0f}, aiMovesSize, "AI moves", 3.0);
            executeMove();
        } else if (!referee.state.players.at(currentPlayer).canStillMove()) {
            // Nothing of this player can move: its turn passes with the null move of ant 0.
            const Veltrix::Position cell =
                referee.state.players.at(currentPlayer).ants.at(0).position();
            selection = std::make_shared<MoveIndicator>(0, cell, glm::vec4(cellCentre(cell), 1.0f));
            executeMove();
        } else if (handoverScreen && !ai && currentPlayer != revealedPlayer_) {
            handoverPending = true;
        }
    }
    updateFogVisibility();
}

void Game::takeDownHandover() {
    if (!handoverPending) return;
    handoverPending = false;
    revealedPlayer_ = currentPlayer;
    handoverSpaceHeld_ = true;
    updateFogVisibility();
}

void Game::executeMove() {
    if (gameOverShown) {
        inputAllowed = false;
        return;
    }
    if (!inputAllowed || handoverPending) return;

    Veltrix::AntId antId = 0;
    Veltrix::Direction direction{0, 0};
    if (selection) {
        std::cout << "Moving in Human Mode" << std::endl;
        antId = selection->antId;
        const glm::ivec2 step = selection->quantisedDirection();
        direction = {step.x, step.y};
    } else if (currentPlayer == 1 && ai) {
        std::cout << "Moving in AI Mode" << std::endl;
        const auto choice = chooseMove(currentPlayer, *ai, referee, *random_, options_);
        // An ant of -1 means the opponent's own guard fired: it loses its move, as in the match
        // runner, instead of naming an ant that does not exist.
        if (choice.first >= 0) {
            antId = choice.first;
            direction = choice.second;
        }
    } else {
        return;
    }
    if (server_)
        sendMove(antId, direction);
    else
        makeMove(antId, direction);
}

void Game::makeMove(Veltrix::AntId antId, Veltrix::Direction direction) {
    selection.reset();
    for (auto& [id, a] : view(currentPlayer).ants) a->clearPickMarkers();
    std::cout << "Moving ant " << antId << " of player " << currentPlayer << " in direction "
              << direction.dx << "," << direction.dy << std::endl;

    const Veltrix::Position oldCell =
        referee.state.players.at(currentPlayer).ants.at(antId).position();
    const Veltrix::RandomPosition before = Veltrix::randomPosition(*random_);
    const Veltrix::MoveOutcome outcome = referee.move(currentPlayer, antId, direction, *random_);
    referee.state.updateView(currentPlayer, options_, referee.movesMade() < options_.players);
    if (moves_) moves_->moveMade(referee, outcome);
    recordMove(antId, direction, before, outcome);

    startAnimations(antId, direction, oldCell, outcome);
    lastMoveSounds.clear();
    const bool playerDone = !referee.state.players.at(currentPlayer).canStillMove();
    playOutcome(antId, outcome, playerDone);
    testEndOfGame();

    nextPlayer = (currentPlayer + 1) % options_.players;
    const double now = clock_->current;
    moveStartTime = now;
    moveEndTime = now + (playerDone ? doneMoveDuration : moveDuration);
    inputAllowed = false;
    showScoreLine(currentPlayer);
}

void Game::startAnimations(Veltrix::AntId antId, Veltrix::Direction direction,
                           Veltrix::Position oldCell, const Veltrix::MoveOutcome& outcome) {
    PlayerView& movers = view(currentPlayer);
    Ant& mover = movers.ant(antId);
    // The fog follows the moving ant together with its sibling.
    const glm::vec3 sibling = movers.ant(1 - antId).position;
    const Veltrix::Ant& moved = referee.state.players.at(currentPlayer).ants.at(antId);
    const Veltrix::Position cell = moved.position();

    if (outcome.couldNotMove) {
        // nothing moved
    } else if (outcome.teleported) {
        mover.startPortalMove(oldCell + direction, cell, *clock_, outcome.battleStarted,
                              outcome.lostAtOnce, fog_, sibling, fogRange());
    } else if (moved.fighting && !outcome.battleStarted) {
        // joined a battle under way: it stays where the fight is
    } else if (direction != Veltrix::Direction{0, 0}) {
        mover.startMove(cell, *clock_, outcome.battleStarted, outcome.lostAtOnce, fog_, sibling,
                        fogRange());
    }

    if (outcome.battleStarted) {
        const auto [attackerEnd, attackerFacing] = attackerPose(mover);
        view(outcome.enemyPlayer)
            .ant(outcome.enemyAnt)
            .startTurnOnSpot(attackerEnd, attackerFacing, *clock_, fog_, sibling, fogRange());
    }
}

void Game::playOutcome(Veltrix::AntId antId, const Veltrix::MoveOutcome& outcome, bool playerDone) {
    const Veltrix::Ant& moved = referee.state.players.at(currentPlayer).ants.at(antId);
    // What player 1 does against the computer is hidden from the human, and so are its sounds.
    const bool visibleToHuman = viewingPlayer() == currentPlayer;
    const bool silent = playerDone;

    if (outcome.foodEaten) {
        foods.at(moved.position())->eaten = true;
        sun_->scoreChanged(currentPlayer);
        if (!silent) play("sound/omnom.mp3");
    }
    if (outcome.leftField) {
        view(currentPlayer).ant(antId).die();
        if (visibleToHuman && !silent) play("sound/brz.mp3");
    }
    if (outcome.joinedBattle) play("sound/attack.mp3");
    if (outcome.battleStarted) play("sound/attack.mp3");
    if (outcome.couldNotMove && !moved.killed && visibleToHuman && !silent) play("sound/sleep.mp3");
    if (outcome.battleDecided) {
        if (outcome.winner == currentPlayer)
            play("sound/victory.mp3");
        else if (!silent)
            play("sound/die.mp3");
        for (const Veltrix::AntId a : outcome.winnerAnts) view(outcome.winner).ant(a).stopClip();
        for (const auto& [player, losers] : outcome.losers)
            for (const Veltrix::AntId a : losers) view(player).ant(a).die();
    }
    if (moved.killed && visibleToHuman && !silent) play("sound/die.mp3");
}

void Game::testEndOfGame() {
    const auto& players = referee.state.players;
    for (Veltrix::PlayerId i = 0; i < 2; ++i) {
        const Veltrix::Player& stuck = players.at(i);
        const bool behind = stuck.score < players.at(1 - i).score;
        if (!stuck.canStillMove() && behind) continue;  // the game ends below
        if (i == 0 && !stuck.canStillMove() && !GameFlags::enemyUncovered) {
            // Player 0 watches the rest of the game with the enemy's ants in view.
            GameFlags::enemyUncovered = true;
            std::cout << "Enemy uncovered" << std::endl;
        }
    }
    if (Veltrix::isGameOver(referee)) {
        gameOver = true;
        closeRecord(Veltrix::finishedGameEnd(referee));
    }
}

// ---- the game's record ----

void Game::recordMove(Veltrix::AntId antId, Veltrix::Direction direction,
                      Veltrix::RandomPosition before, const Veltrix::MoveOutcome& outcome) {
    if (!recording_) return;
    try {
        // Opened with the first move: a game left before anything happened leaves no file.
        if (!record_) {
            Veltrix::RecordHeader header;
            header.program = "veltrix3d";
            header.rules = options_;
            header.seed = recording_->seed;
            header.game = recording_->game;
            header.sides = recording_->sides;
            header.random = startRandom_;
            header.startingPlayer = referee.startingPlayer;
            record_ = std::make_unique<Veltrix::RecordWriter>(recording_->directory, header);
        }
        record_->move(currentPlayer, antId, direction, before, outcome, referee.state);
    } catch (const Veltrix::RecordError& e) {
        // The game goes on; that it is not kept is said once, loudly.
        std::cerr << "WARNING: " << e.what() << "; this game is not recorded" << std::endl;
        recording_.reset();
        record_.reset();
    }
}

void Game::closeRecord(const Veltrix::RecordEnd& end) {
    if (!record_ || record_->finished()) return;
    try {
        record_->finish(end);
        std::cout << "Game record saved to " << record_->path().string() << std::endl;
    } catch (const Veltrix::RecordError& e) {
        std::cerr << "WARNING: " << e.what() << std::endl;
    }
}

void Game::abandon() {
    if (record_ && !record_->finished()) closeRecord(Veltrix::abandonedGameEnd(referee));
}

std::filesystem::path Game::recordPath() const {
    return record_ ? record_->path() : std::filesystem::path();
}

void Game::showScoreLine(Veltrix::PlayerId player) {
    const std::string line = "Player " + std::to_string(player) +
                             " Score: " + std::to_string(referee.state.players.at(player).score);
    text_->addText(scoreAnchor, {-1.0f, 1.0f - static_cast<float>(player) / 10.0f}, scoreSize, line,
                   scoreDuration);
}

void Game::play(const std::string& file) {
    lastMoveSounds.push_back(file);
    if (sounds_ != nullptr) sounds_->play(file);
}

const Food* Game::food(Veltrix::Position cell) const {
    const auto found = foods.find(cell);
    return found == foods.end() ? nullptr : found->second.get();
}

// ---- fog of war ----

void Game::updateFogVisibility() {
    // The centres of the ants' cells, not the models' positions (a quarter cell behind the
    // centre): the fog must clear the very cells the rules let the player see.
    const auto& ants = referee.state.players.at(viewingPlayer()).ants;
    fog_->updateVisible(cellCentre(ants.at(0).position()), cellCentre(ants.at(1).position()),
                        fogRange());
}

void Game::periodicFogUpdate() {
    if (fogRefreshCount >= 2) return;
    updateFogVisibility();
    ++fogRefreshCount;
}

// ---- drawing ----

bool Game::cellVisible(Veltrix::PlayerId viewer, Veltrix::Position cell) const {
    return referee.state.players.at(viewer).visible.contains(cell);
}

glm::mat4 Game::viewProjection(Veltrix::PlayerId player) const {
    return projection_ * views.at(player)->camera.view;
}

glm::mat4 Game::currentViewMatrix() const {
    return views.at(currentPlayer)->camera.view;
}

void Game::drawScene(const FrameClock& clock) {
    const Veltrix::PlayerId viewer = viewingPlayer();
    PlayerView& seen = view(viewer);
    skybox_->draw(seen.camera.view, projection_);
    const glm::mat4 vp = viewProjection(viewer);
    extractPlanes(vp);
    const glm::vec3 eye(seen.camera.eye);

    // Before the ground: where the fog hides the field whole, nothing beneath it is shaded.
    fog_->drawCover(vp);
    seen.floor->draw(vp, eye, *sun_, shadowMap);
    for (auto& [id, a] : seen.ants)
        a->draw(vp, eye, *sun_, clock, shadowMap, projection_, seen.camera.view);
    environment_->draw(vp, eye, *sun_, shadowMap);
    for (auto& [player, other] : views) {
        if (player == viewer) continue;
        for (auto& [id, a] : other->ants)
            if (cellVisible(viewer, referee.state.players.at(player).ants.at(id).position()))
                a->draw(vp, eye, *sun_, clock, shadowMap, projection_, seen.camera.view);
    }
    for (auto& [cell, food] : foods)
        if (!food->eaten && cellVisible(viewer, cell)) food->draw(vp, eye, *sun_, clock, shadowMap);

    for (const auto& [entry, exit] : referee.state.portalEntries) {
        const auto found = portals.find(entry);
        if (found == portals.end()) continue;
        found->second->setPositions(entry, exit);
        if (cellVisible(viewer, entry) || cellVisible(viewer, exit))
            found->second->draw(vp, eye, *sun_, clock, shadowMap);
    }
    if (selection) selection->draw(vp);
    sun_->draw(seen.camera.view, projection_);
}

FogCover Game::drawFog(const FrameClock& clock) {
    const glm::mat4 vp = viewProjection(viewingPlayer());
    fog_->update(clock);
    fog_->draw(vp);
    return fog_->cover(vp);
}

void Game::drawShadow(const FrameClock& clock) {
    const Veltrix::PlayerId viewer = viewingPlayer();
    PlayerView& seen = view(viewer);
    const glm::mat4 light = sun_->lightMatrix();
    const glm::vec3 eye(seen.camera.eye);

    seen.floor->drawShadow(light, eye);
    for (auto& [id, a] : seen.ants) a->drawShadow(light, eye, clock);
    for (auto& [player, other] : views) {
        if (player == viewer) continue;
        for (auto& [id, a] : other->ants)
            if (cellVisible(viewer, referee.state.players.at(player).ants.at(id).position()))
                a->drawShadow(light, eye, clock);
    }
    for (auto& [cell, food] : foods)
        if (!food->eaten && cellVisible(viewer, cell)) food->drawShadow(light, eye, clock);
    for (const auto& [entry, exit] : referee.state.portalEntries) {
        const auto found = portals.find(entry);
        if (found != portals.end() && (cellVisible(viewer, entry) || cellVisible(viewer, exit)))
            found->second->drawShadow(light, eye, clock);
    }
}

float Game::drawSelected(const FrameClock& clock) {
    if (!selection) return 0.0f;
    PlayerView& seen = view(viewingPlayer());
    Ant& selected = view(currentPlayer).ant(selection->antId);
    selected.drawSolid(projection_ * seen.camera.view, clock);
    return glm::distance(glm::vec3(selected.modelMatrix[3]), glm::vec3(seen.camera.eye));
}

}  // namespace VX3D
