; checksum.asm - adds up W bytes from the address in FSR0 into sum
INDF0   equ     0x00
FSR0    equ     0x01
WREG    equ     0x0A

        global  checksum, sum

.udata  udata
count   res     1
sum     res     1

sum_code code
checksum banksel count
        movwf   count
        clrf    sum, 1
next    movfp   INDF0, WREG
        addwf   sum, 1
        incf    FSR0, 1
        decfsz  count, 1
        goto    next
        return
        end
