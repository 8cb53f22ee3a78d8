; main.asm - sends a greeting from program memory, then a count that goes up
; (the start-up code that copies init_vars from its image is left out)
ALUSTA  equ     0x04
WREG    equ     0x0A
TBLPTRL equ     0x0D
TBLPTRH equ     0x0E

        global  start
        extern  io_init, io_send, delay

reset   code    0x0000
        pagesel start
        goto    start

.udata  udata
count   res     2

init_vars idata
pause   db      0x40

strings romdata
greeting db     'H', 'i', 0

main_code code
start   pagesel io_init
        call    io_init
        movlw   high greeting
        movwf   TBLPTRH
        movlw   low greeting
        movwf   TBLPTRL
        tablrd  0, 0, WREG
        tlrd    0, WREG
        pagesel io_send
        call    io_send
        tlrd    1, WREG
        call    io_send
        banksel count
        clrf    count, 1
        clrf    count+1, 1
loop    banksel count
        incf    count, 1
        btfsc   ALUSTA, 2
        incf    count+1, 1
        movfp   count, WREG
        pagesel io_send
        call    io_send
        banksel pause
        movfp   pause, WREG
        pagesel delay
        call    delay
        pagesel loop
        goto    loop
        end
